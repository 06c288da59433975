// core: skingen
// Bytes as a page template: import into a skin folder, convert, generate.
// Errors are fine; a crash, a hang or a leak is not.
#include "FuzzSupport.h"
#include "skingen/SkinGenerator.h"
#include "util/Exception.h"
#include "util/Files.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace {

// A picture the template may name, and a stylesheet; so copies happen.
const std::string& Site()
{
    static const std::string site = [] {
        const std::string folder = wpe::fuzz::TempDir("skingen");
        std::filesystem::create_directories(folder + "site/img");
        wpe::WriteWholeFile(folder + "site/img/a.png", "png");
        wpe::WriteWholeFile(folder + "site/style.css", "body{}");
        wpe::WriteWholeFile(folder + "outside.png", "out");
        return folder;
    }();
    return site;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& root = Site();
    const std::string skin = root + "skin/";
    std::error_code ec;
    std::filesystem::remove_all(skin, ec);
    std::filesystem::create_directories(skin);
    wpe::WriteWholeFile(root + "site/page.html", std::string(reinterpret_cast<const char*>(data), size));
    try {
        const wpe::TSkinImport import = wpe::ImportTemplate(root + "site/page.html", skin);
        wpe::TemplateToXhtml(import.templateCopy, root + "page.xhtml");
        const std::string xsl = wpe::GenerateSkinXsl(root + "page.xhtml", skin);
        if (xsl.rfind("<?xml", 0) != 0)
            wpe::fuzz::Fail("a stylesheet without its header");
    } catch (const wpe::Exception&) {
    }
    return 0;
}
