// core: webpart
// Bytes as a web part's source: parse with the shipped template and
// in-memory fields, write the canonical text, parse that again and check
// that the text settles: the second write, read and written again, stays.
#include "FuzzSupport.h"
#include "util/Dialogs.h"
#include "util/Exception.h"
#include "webpart/MemoryFields.h"
#include "webpart/WebPart.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct Editor {
    wpe::fuzz::QuietDialogs dialogs;
    std::unique_ptr<wpe::MemoryFieldSource> fields = wpe::MakeEditorFields();
    wpe::TWebPart part{WPE_DATA_DIR "/", fields.get()};
    Editor() { wpe::SetDialogs(&dialogs); }
};

bool Load(wpe::TWebPart& part, const std::string& text)
{
    part.SetSourceText(text);
    part.Template().ResetControls();
    try {
        part.Parse();
        return true;
    } catch (const wpe::Exception&) {
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Editor editor;
    wpe::TWebPart& part = editor.part;
    if (!Load(part, std::string(reinterpret_cast<const char*>(data), size)))
        return 0;
    const std::string written = part.BuildText();
    if (!Load(part, written))
        wpe::fuzz::Fail("what we write must read again");
    // A comment is attached to the element after it, so comments that stood
    // together, or a text the writer put on a line of its own, may settle
    // once on the second write. From then on the text is the canonical form:
    // writing it again changes nothing.
    const std::string settled = part.BuildText();
    if (!Load(part, settled))
        wpe::fuzz::Fail("what we write must read again");
    if (part.BuildText() != settled)
        wpe::fuzz::Fail("writing what we wrote gave another text");
    return 0;
}
