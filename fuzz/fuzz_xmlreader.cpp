// core: xml
// Bytes into the reader's token loop, to the end or the first error.
#include "FuzzSupport.h"
#include "xml/XXml.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    wpe::TXmlReader reader;
    reader.Open(text);
    try {
        while (reader.Next() != wpe::tkEndOfInput) {
        }
    } catch (const wpe::Exception&) {
    }
    return 0;
}
