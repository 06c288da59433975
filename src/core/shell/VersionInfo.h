#pragma once
// The program's version strings and the about box's version text. The
// program fills the strings from values compiled in by the build (there is
// no version resource to read on this platform); unset strings stay empty.

#include <array>
#include <string>
#include <string_view>

namespace wpe {

enum TVersionType {
    vtCompanyName, vtFileDescription, vtFileVersion, vtInternalName, vtLegalCopyright,
    vtLegalTradeMark, vtOriginalFileName, vtProductName, vtProductVersion, vtComments
};
inline constexpr int kVersionTypeCount = 10;

class TVersionInfo {
public:
    using Strings = std::array<std::string, kVersionTypeCount>;

    // Strings given by the caller, indexed by TVersionType.
    TVersionInfo(std::string filePath, Strings strings);

    const std::string& FilePath() const { return filePath_; }
    // The stored string of that kind; empty when it was not set.
    const std::string& Get(TVersionType type) const;
    const std::string& FileVersion() const { return Get(vtFileVersion); }
    // The name under which a version resource would carry the kind:
    // "StringFileInfo\040904E4\" + "FileVersion" and so on.
    static std::string ResourceKey(TVersionType type);

private:
    std::string filePath_;
    Strings strings_;
};

// The four numbers of a file version: each of the first three parts ends at
// the first "." or, when the rest holds no ".", at the first ","; the fourth
// part is what remains. Empty parts, and parts that are not numbers, give 0.
std::array<long long, 4> SplitFileVersion(std::string_view fileVersion);

// "Version %d.%d%d build %d beta" of the four numbers: "2.0.1.57" and
// "2,0,1,57" give "Version 2.01 build 57 beta".
std::string VersionText(std::string_view fileVersion);

} // namespace wpe
