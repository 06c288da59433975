#include "shell/DocumentKinds.h"
#include "util/Text.h"

#include "util/Paths.h"

namespace wpe {
namespace {

bool EqualNoCase(std::string_view a, std::string_view b, bool delimitersAlike)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = AsciiUpperChar(a[i]);
        char y = AsciiUpperChar(b[i]);
        if (delimitersAlike && IsPathDelimiter(x) && IsPathDelimiter(y))
            continue;
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

DocumentKind KindOfFile(std::string_view path)
{
    std::string ext = ExtractFileExt(path);
    if (EqualNoCase(ext, ".CSO", false))
        return DocumentKind::Skin;
    if (EqualNoCase(ext, ".XML", false) || EqualNoCase(ext, ".DWP", false) || EqualNoCase(ext, ".CWP", false))
        return DocumentKind::WebPart;
    return DocumentKind::None;
}

DocumentKind DispatchKind(OpenSource source, std::string_view path)
{
    DocumentKind kind = KindOfFile(path);
    if (kind != DocumentKind::None)
        return kind;
    switch (source) {
    case OpenSource::ReopenList:
    case OpenSource::Restore:
        return DocumentKind::WebPart;
    case OpenSource::OpenDialog:
    case OpenSource::FilePane:
        break;
    }
    return DocumentKind::None;
}

bool SameDocumentPath(std::string_view a, std::string_view b)
{
    return EqualNoCase(a, b, true);
}

bool SameSkinName(std::string_view a, std::string_view b)
{
    return EqualNoCase(a, b, false);
}

int ActiveIndexAfterClose(int count, int removed)
{
    int left = count - 1;
    if (left <= 0)
        return -1;
    return removed < left ? removed : left - 1;
}

int CyclePageIndex(int current, int count, bool forward)
{
    if (count <= 0)
        return -1;
    if (current < 0 || current >= count)
        return forward ? 0 : count - 1;
    return forward ? (current + 1) % count : (current + count - 1) % count;
}

} // namespace wpe
