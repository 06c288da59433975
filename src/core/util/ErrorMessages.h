#pragma once
// The table of the system's error codes and their English message texts.

#include <string>

namespace wpe {

// The message text of an error code, unformatted (a "%s" stays as it is).
// Never fails: undefined codes (3, 18, negative, above 42) give "Inknown error!".
std::string ErrorMessage(int code);

} // namespace wpe
