#pragma once
// The system's general error: it carries only its message text.

#include <exception>
#include <string>
#include <utility>

namespace wpe {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& message() const noexcept { return message_; }

private:
    std::string message_;
};

} // namespace wpe
