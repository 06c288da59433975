// core: catalogue
// Bytes as "category.xml": read into a tree, write it, read that again; the
// second write must give the same text (but for the time it was written).
#include "FuzzSupport.h"
#include "catalogue/Catalogue.h"
#include "util/Files.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// The header records when the file was written; that may differ.
static std::string WithoutDate(std::string text)
{
    const auto from = text.find("<dateModified>");
    const auto to = text.find("</dateModified>");
    if (from != std::string::npos && to != std::string::npos && to > from)
        text.erase(from, to - from);
    return text;
}

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
    const std::string first = WithoutDate(wpe::ReadWholeFile(out1));
    const std::string second = WithoutDate(wpe::ReadWholeFile(out2));
    if (first != second) {
        std::fprintf(stderr, "first write:\n%s\nsecond write:\n%s\n", first.c_str(), second.c_str());
        wpe::fuzz::Fail("the second write differs from the first");
    }
    return 0;
}
