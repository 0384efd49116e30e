#include "framework/core/ByteString.h"

ByteString::ByteString(const char* text) : bytes_(text != nullptr ? text : "") {}

ByteString ByteString::SubString(Index index, Index count) const
{
    return ByteString(SubStringView(bytes_, index, count));
}

std::string_view SubStringView(std::string_view bytes, ByteString::Index index, ByteString::Index count) noexcept
{
    const auto length = static_cast<ByteString::Index>(bytes.size());
    if (index < 1 || index > length || count < 0)
        return {};
    const auto start = static_cast<std::size_t>(index - 1);
    return bytes.substr(start, static_cast<std::size_t>(count));
}
