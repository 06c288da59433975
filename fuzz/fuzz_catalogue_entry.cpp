// core: catalogue
// Bytes as a stored web part file: read its catalogue entry and place it in
// the browse tree under its categories. First the one-pass field scan must
// read the bytes exactly as the tag parser's searches do (same texts, same
// error); a scanner kept from input to input also checks that nothing of one
// file leaks into the next.
#include "FuzzSupport.h"
#include "../tests/core/catalogue/WebPartScanReference.h"
#include "catalogue/Catalogue.h"
#include "util/Exception.h"
#include "util/Files.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static wpe::fuzz::QuietDialogs dialogs;
    static const std::string dir = wpe::fuzz::TempDir("entry");
    wpe::SetDialogs(&dialogs);
    static wpe::TWebPartScan scan;
    if (size > 0) {
        const std::string text(reinterpret_cast<const char*>(data), size);
        if (wpe::test::ReadWithTagParser(text) != wpe::test::ReadWithScan(scan, text))
            wpe::fuzz::Fail("the field scan and the tag parser read the part differently");
    }
    const std::string file = dir + "part.xml";
    wpe::WriteWholeFile(file, std::string(reinterpret_cast<const char*>(data), size));

    wpe::TCatalogue catalogue;
    try {
        auto read = catalogue.ReadEntry(file);
        catalogue.PlaceEntry(read.entry, read.paths, catalogue.BrowseTree());
        // Placing twice must not add a second node anywhere.
        const std::size_t nodes = catalogue.BrowseTree().NodeCount();
        catalogue.PlaceEntry(read.entry, read.paths, catalogue.BrowseTree());
        if (catalogue.BrowseTree().NodeCount() != nodes)
            wpe::fuzz::Fail("placing an entry twice added nodes");
        (void)catalogue.FindEntry("PART.XML");
    } catch (const wpe::Exception&) {
    }
    return 0;
}
