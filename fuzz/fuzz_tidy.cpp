// core: tidy
// Bytes into both Tidy conversions. A repaired template must come out with a
// body, an ill-formed one with errors instead of output.
#include "FuzzSupport.h"
#include "tidy/Tidy.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const wpe::TidyResult html = wpe::TidyText(text, wpe::TidyMode::HtmlToXhtml, "t.html");
    // Tidy writes a UTF-16 document in UTF-16, where "<body" is not these bytes.
    const bool wide = wpe::DeclaredEncoding(text).rfind("UTF-16", 0) == 0;
    if (html.errors.empty() && !wide && html.output.find("<body") == std::string::npos)
        wpe::fuzz::Fail("XHTML without errors but without a body");
    if (!html.errors.empty() && !html.output.empty())
        wpe::fuzz::Fail("XHTML written although errors were counted");
    (void)wpe::TidyText(text, wpe::TidyMode::Xml, "t.xml");
    (void)wpe::NumericCharacterReferences(text);
    (void)wpe::DeclaredEncoding(text);
    return 0;
}
