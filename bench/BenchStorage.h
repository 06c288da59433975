#pragma once
// Generated storages of web part files for the catalogue benchmarks: ~2 KB
// parts in a few hundred categories with a skewed spread, written once under
// the temporary folder and reused by later runs (a marker file records that
// a storage is complete).

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace bench {

namespace fs = std::filesystem;

inline constexpr int kCategoryCount = 300;

// Category paths: 30 groups with 10 sub-categories each.
inline std::string CategoryName(int i) { return "Group" + std::to_string(i / 10) + "/Topic" + std::to_string(i % 10); }

inline std::string MakePart(int i, std::mt19937& rng)
{
    // A skewed spread: a few categories hold most parts (thousands each at
    // 100,000), the rest a handful.
    std::uniform_real_distribution<double> u(0.0, 1.0);
    auto pick = [&] {
        const double x = u(rng);
        return static_cast<int>(kCategoryCount * x * x * x) % kCategoryCount;
    };
    static const char* langs[] = {"en", "ru", "fr", "ge", ""};
    std::string s = "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>\r\n\r\n  <!-- General -->\r\n";
    const int cats = 1 + static_cast<int>(u(rng) * 3);
    for (int c = 0; c < cats; ++c)
        s += "  <Category>" + CategoryName(pick()) + "</Category>\r\n";
    s += "  <Description>Part number " + std::to_string(i) +
         " shows the latest figures of its source &amp; a short summary for the start page</Description>\r\n";
    s += std::string("  <Language>") + langs[i % 5] + "</Language>\r\n";
    s += "  <LastModified>Mon, 07 Dec 2026 10:15:00 GMT</LastModified>\r\n";
    s += "  <Namespace>ombrelio.bench</Namespace>\r\n";
    s += "  <Popularity>" + std::to_string(i % 11) + "</Popularity>\r\n";
    s += "  <PublisherName>Ombrelio Bench</PublisherName>\r\n  <PublisherURL>http://127.0.0.1:8180/</PublisherURL>\r\n";
    s += "  <Title>Part " + std::to_string((i * 7919) % 100003) + "</Title>\r\n\r\n  <!-- Content -->\r\n";
    s += "  <Content><![CDATA[<table class=\"grid\">";
    while (s.size() < 1700)
        s += "<tr><td>row</td><td>" + std::to_string(s.size()) + "</td><td><a href=\"http://example.org/\">more</a></td></tr>";
    s += "</table>]]></Content>\r\n  <ContentLink>http://</ContentLink>\r\n  <ContentType>0</ContentType>\r\n";
    s += "  <XSLLink>http://</XSLLink>\r\n\r\n  <!-- Appearance -->\r\n  <AllowMinimize>1</AllowMinimize>\r\n";
    s += "  <AllowRemove>1</AllowRemove>\r\n  <FrameState>1</FrameState>\r\n  <HasFrame>1</HasFrame>\r\n";
    s += "  <Zone>" + std::to_string(1 + i % 5) + "</Zone>\r\n\r\n</WebPart>\r\n";
    return s;
}

// The storage of n parts, generated on first use.
inline const std::string& Storage(int n)
{
    static std::vector<std::pair<int, std::string>> made;
    for (const auto& [size, dir] : made)
        if (size == n)
            return dir;
    const fs::path root = fs::temp_directory_path() / ("wpe-bench-catalogue-" + std::to_string(n));
    const fs::path marker = root / "complete.marker";
    if (!fs::exists(marker)) {
        fs::remove_all(root);
        fs::create_directories(root / "STORAGE");
        fs::create_directories(root / "program");
        std::mt19937 rng(12345);
        for (int i = 0; i < n; ++i) {
            std::ofstream out(root / "STORAGE" / ("part" + std::to_string(i) + ".xml"), std::ios::binary);
            out << MakePart(i, rng);
        }
        std::ofstream(marker) << "ok";
    }
    made.emplace_back(n, root.string());
    return made.back().second;
}

} // namespace bench
