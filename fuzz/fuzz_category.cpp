// core: catalogue
// Bytes as "category.xml": read into a tree, write it, read that again; the
// second write must give the same text.
#include "FuzzSupport.h"
#include "catalogue/Catalogue.h"
#include "util/Files.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static wpe::fuzz::QuietDialogs dialogs;
    static const std::string dir = wpe::fuzz::TempDir("category");
    wpe::SetDialogs(&dialogs);
    const std::string in = dir + "in.xml", out1 = dir + "out1.xml", out2 = dir + "out2.xml";
    wpe::WriteWholeFile(in, std::string(reinterpret_cast<const char*>(data), size));

    wpe::TCatalogue catalogue;
    if (!catalogue.ReadCategoryFile(catalogue.BrowseTree(), in))
        return 0;
    catalogue.WriteCategoryFile(catalogue.BrowseTree(), out1);

    wpe::TCatalogue again;
    if (!again.ReadCategoryFile(again.BrowseTree(), out1))
        wpe::fuzz::Fail("what we write must read again");
    again.WriteCategoryFile(again.BrowseTree(), out2);
    if (wpe::ReadWholeFile(out1) != wpe::ReadWholeFile(out2))
        wpe::fuzz::Fail("the second write differs from the first");
    return 0;
}
