#pragma once

#include <exception>
#include <string>

// The framework's exception class: file and framework failures arrive as one,
// carrying a message meant for the user. Lack of memory stays std::bad_alloc.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}

    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};
