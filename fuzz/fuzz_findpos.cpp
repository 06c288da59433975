// core: util
// The fast text search against the plain Horspool and backward scans: the
// first bytes choose the mode, the start and the pattern's length, the rest
// is the text; the pattern is cut from the text or taken from the input.
#include "FuzzSupport.h"
#include "../tests/core/util/FindPosReference.h"
#include "util/FastStrings.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const unsigned flags = data[0];
    const std::size_t m = 1 + data[1] % 64;
    const std::size_t startSeed = data[2] | (static_cast<std::size_t>(data[3]) << 8);
    const std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
    // From the input's end when it has room (a pattern unrelated to the
    // text), else from inside the text (a pattern that occurs).
    std::string_view text = rest, pattern;
    if (flags & 4 && rest.size() > 2 * m) {
        pattern = rest.substr(rest.size() - m);
        text = rest.substr(0, rest.size() - m);
    } else {
        const std::size_t at = rest.empty() ? 0 : startSeed % rest.size();
        pattern = rest.substr(at, m);
    }
    const bool cs = flags & 1, fwd = flags & 2;
    const std::size_t start = startSeed % (text.size() + 3);
    if (wpe::FindPos(pattern, text, cs, fwd, start) != wpe::reference::FindPos(pattern, text, cs, fwd, start))
        wpe::fuzz::Fail("FindPos differs from the plain search");
    if (wpe::FindPos(pattern, text, !cs, !fwd, 0) != wpe::reference::FindPos(pattern, text, !cs, !fwd, 0))
        wpe::fuzz::Fail("FindPos from the end differs from the plain search");
    return 0;
}
