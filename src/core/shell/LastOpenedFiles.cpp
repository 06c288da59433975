#include "shell/LastOpenedFiles.h"

#include "shell/SettingsStore.h"

#include <algorithm>
#include <charconv>

namespace wpe {
namespace {

bool TabPosition(const std::string& name, long& position)
{
    auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), position);
    return ec == std::errc() && end == name.data() + name.size() && position >= 0;
}

} // namespace

void RecordOpenedFile(ISettingsStore& store, int tabIndex, const std::string& path)
{
    store.Write(std::to_string(tabIndex), path, kLastOpenedFilesKey);
}

std::vector<std::string> FilesToRestore(const ISettingsStore& store)
{
    std::vector<std::pair<long, std::string>> positioned;
    std::vector<std::string> others;
    for (const auto& name : store.ValueNames(kLastOpenedFilesKey)) {
        long position = 0;
        if (TabPosition(name, position))
            positioned.emplace_back(position, name);
        else
            others.push_back(name);
    }
    std::stable_sort(positioned.begin(), positioned.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    std::vector<std::string> paths;
    auto take = [&](const std::string& name) {
        std::string path = store.Read(name, kLastOpenedFilesKey);
        if (!path.empty())
            paths.push_back(path);
    };
    for (const auto& p : positioned)
        take(p.second);
    for (auto it = others.rbegin(); it != others.rend(); ++it)
        take(*it);
    return paths;
}

} // namespace wpe
