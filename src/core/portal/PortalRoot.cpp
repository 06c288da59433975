#include "portal/PortalRoot.h"

#include "util/Exception.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string_view>

namespace fs = std::filesystem;

namespace wpe {

namespace {

std::string requireFolder(const std::string& folder, const std::string& source)
{
    std::error_code ec;
    if (!fs::is_directory(fs::path(folder), ec))
        throw Exception("The portal folder \"" + folder + "\" given " + source + " does not exist");
    return folder;
}

std::string temporarySibling(const fs::path& target)
{
    std::random_device device;
    return target.string() + ".new-" + std::to_string(device() % 1000000);
}

void makeUserCopy(const std::string& userPortal, const std::string& sample)
{
    std::error_code ec;
    if (sample.empty() || !fs::is_directory(fs::path(sample), ec))
        throw Exception("The sample portal \"" + sample + "\" is missing, so no portal can be set up");
    const fs::path target(userPortal);
    fs::create_directories(target.parent_path(), ec);
    if (ec)
        throw Exception("Cannot create the folder \"" + target.parent_path().string() + "\": " + ec.message());
    const fs::path staging(temporarySibling(target));
    fs::copy(fs::path(sample), staging, fs::copy_options::recursive, ec);
    if (!ec)
        fs::rename(staging, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove_all(staging, ignored);
        throw Exception("Cannot copy the sample portal to \"" + userPortal + "\": " + ec.message());
    }
}

} // namespace

std::string ResolvePortalRoot(const TPortalRootSources& sources)
{
    if (!sources.option.empty())
        return requireFolder(sources.option, "with --portal");
    if (!sources.environment.empty())
        return requireFolder(sources.environment, "in WPE_PORTAL_DIR");
    if (sources.userPortal.empty())
        throw Exception("No portal folder is known: give one with --portal or WPE_PORTAL_DIR");
    std::error_code ec;
    if (!fs::exists(fs::path(sources.userPortal), ec))
        makeUserCopy(sources.userPortal, sources.sample);
    return requireFolder(sources.userPortal, "as the user's portal");
}

std::string DefaultUserPortalFolder(const std::string& xdgDataHome, const std::string& home)
{
    std::string dataHome = xdgDataHome;
    if (dataHome.empty()) {
        if (home.empty())
            return {};
        dataHome = home + "/.local/share";
    }
    return (fs::path(dataHome) / "Ombrelio" / "portal").string();
}

std::string PortalOptionFromArgs(int argc, const char* const* argv)
{
    constexpr std::string_view kOption = "--portal";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        if (arg == kOption) {
            if (i + 1 >= argc || argv[i + 1] == nullptr || std::string_view(argv[i + 1]).empty())
                throw Exception("The option --portal needs a folder");
            return argv[i + 1];
        }
        if (arg.starts_with("--portal=")) {
            const std::string_view value = arg.substr(kOption.size() + 1);
            if (value.empty())
                throw Exception("The option --portal needs a folder");
            return std::string(value);
        }
    }
    return {};
}

TPortalRootSources PortalRootSourcesOfProcess(int argc, const char* const* argv, const std::string& sample)
{
    auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    return {PortalOptionFromArgs(argc, argv), variable("WPE_PORTAL_DIR"),
            DefaultUserPortalFolder(variable("XDG_DATA_HOME"), variable("HOME")), sample};
}

} // namespace wpe
