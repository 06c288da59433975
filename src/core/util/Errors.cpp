#include "util/Errors.h"

#include "util/ErrorMessages.h"
#include "util/Exception.h"

namespace wpe {

std::string FormatErrorMessage(int code, std::string_view arg)
{
    const std::string text = ErrorMessage(code);
    std::string result;
    result.reserve(text.size() + arg.size());
    bool filled = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == '%') {
                result += '%';
                ++i;
                continue;
            }
            if (next == 's' && !filled) {
                result += arg;
                filled = true;
                ++i;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

void RaiseError(int code)
{
    throw Exception(ErrorMessage(code));
}

void RaiseErrorFmt(int code, std::string_view arg)
{
    throw Exception(FormatErrorMessage(code, arg));
}

void RaiseErrorFmt(int code, char arg)
{
    throw Exception(FormatErrorMessage(code, std::string_view(&arg, 1)));
}

} // namespace wpe
