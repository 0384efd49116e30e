#include "stockdata/StockRecord.h"

#include <cstring>

namespace {

// strncpy semantics (copy up to the first 0 byte, cut to the field, 0-fill
// the rest) on a field that starts out all 0 bytes; glibc's strncpy pays a
// separate memset call for the fill, three times a record.
template <std::size_t Size>
void CopyField(char (&field)[Size], const char* text) noexcept
{
    std::memcpy(field, text, ::strnlen(text, Size - 1));
}

}  // namespace

RecStocks::RecStocks(const char* codeText, const char* nameText, const char* extraText) noexcept
    : code{}, name{}, extra{}
{
    CopyField(code, codeText);
    CopyField(name, nameText);
    CopyField(extra, extraText);
}
