#include "shell/VersionInfo.h"

#include <charconv>
#include <utility>

namespace wpe {
namespace {

const char* const kTypeNames[kVersionTypeCount] = {
    "CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments"};

// A part that is not a plain decimal number counts as 0, like an empty one,
// so a damaged version string never stops the about box from opening.
long long PartNumber(std::string_view part)
{
    long long value = 0;
    auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (ec != std::errc() || end != part.data() + part.size() || value < 0)
        return 0;
    return value;
}

} // namespace

TVersionInfo::TVersionInfo(std::string filePath, Strings strings)
    : filePath_(std::move(filePath)), strings_(std::move(strings)) {}

const std::string& TVersionInfo::Get(TVersionType type) const
{
    static const std::string empty;
    if (type < 0 || type >= kVersionTypeCount)
        return empty;
    return strings_[type];
}

std::string TVersionInfo::ResourceKey(TVersionType type)
{
    if (type < 0 || type >= kVersionTypeCount)
        return {};
    return std::string("StringFileInfo\\040904E4\\") + kTypeNames[type];
}

std::array<long long, 4> SplitFileVersion(std::string_view text)
{
    std::array<long long, 4> numbers{};
    for (int i = 0; i < 3; ++i) {
        std::size_t end = text.find('.');
        if (end == std::string_view::npos)
            end = text.find(',');
        if (end == std::string_view::npos) {
            numbers[i] = PartNumber(text);
            text = {};
            continue;
        }
        numbers[i] = PartNumber(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    numbers[3] = PartNumber(text);
    return numbers;
}

std::string VersionText(std::string_view fileVersion)
{
    auto n = SplitFileVersion(fileVersion);
    return "Version " + std::to_string(n[0]) + "." + std::to_string(n[1]) + std::to_string(n[2]) +
           " build " + std::to_string(n[3]) + " beta";
}

} // namespace wpe
