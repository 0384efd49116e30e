#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The framework's string: a sequence of bytes, owned by value. It does no
// code-page conversion and keeps embedded 0 bytes; only c_str() stops at one.
class ByteString {
public:
    using Index = std::ptrdiff_t;

    ByteString() = default;
    // Takes the bytes up to the first 0 byte; a null pointer gives an empty string.
    ByteString(const char* text);  // NOLINT(google-explicit-constructor): string literals convert as in the old API
    explicit ByteString(std::string bytes) noexcept : bytes_(std::move(bytes)) {}
    explicit ByteString(std::string_view bytes) : bytes_(bytes) {}

    Index Length() const noexcept { return static_cast<Index>(bytes_.size()); }
    bool IsEmpty() const noexcept { return bytes_.empty(); }

    // Bytes from the 1-based position `index` on, at most `count` of them and
    // none past the end. Empty when index < 1, index > Length() or count < 0.
    ByteString SubString(Index index, Index count) const;

    // Read-only and 0-terminated; valid until this string changes or dies.
    // A reader of it sees the text only up to the first embedded 0 byte.
    const char* c_str() const noexcept { return bytes_.c_str(); }

    std::string_view View() const noexcept { return bytes_; }

    friend bool operator==(const ByteString&, const ByteString&) = default;

private:
    std::string bytes_;
};

// The 1-based slice rule of ByteString::SubString, for callers that hold a
// view of the bytes and want to skip the copy.
std::string_view SubStringView(std::string_view bytes, ByteString::Index index, ByteString::Index count) noexcept;
