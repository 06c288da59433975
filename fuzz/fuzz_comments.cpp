// core: webpart
// Bytes as "WPComment.xml": load, read and change a comment, save, load again.
#include "FuzzSupport.h"
#include "util/Files.h"
#include "webpart/WPComment.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string dir = wpe::fuzz::TempDir("comments");
    const std::string in = dir + "in.xml";
    const std::string out = dir + "out.xml";
    wpe::WriteWholeFile(in, std::string(reinterpret_cast<const char*>(data), size));

    wpe::TWPCommentFile store;
    store.Load(in);
    (void)store.GetComment("NEWS.XML");
    store.SetComment("news.xml", "a < b & \"c\"");
    store.SetComment("other.xml", "");
    if (!store.HasRoot())
        return 0;
    store.Save(out);

    wpe::TWPCommentFile again;
    again.Load(out);
    if (!again.HasRoot() || again.GetComment("News.xml") != "a < b & \"c\"")
        wpe::fuzz::Fail("a saved store must read back");
    return 0;
}
