// core: xml
// Bytes into a document; what we write of a loaded document must load again
// and write the same text.
#include "FuzzSupport.h"
#include "xml/XXmlDom.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    auto doc = wpe::MakeRef<wpe::TXmlDDocument>();
    try {
        doc->LoadXml(text);
    } catch (const wpe::Exception&) {
        return 0;
    }
    const std::string first = doc->Xml();
    auto again = wpe::MakeRef<wpe::TXmlDDocument>();
    try {
        again->LoadXml(first);
    } catch (const wpe::Exception&) {
        wpe::fuzz::Fail("our own output must load");
    }
    if (again->Xml() != first)
        wpe::fuzz::Fail("the second write differs from the first");
    return 0;
}
