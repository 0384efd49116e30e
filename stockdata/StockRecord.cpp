#include "StockRecord.h"

#include <cstring>

namespace {

template <std::size_t Size>
void CopyField(char (&field)[Size], const char* text) noexcept
{
    std::strncpy(field, text, Size - 1);
    field[Size - 1] = '\0';
}

}  // namespace

RecStocks::RecStocks(const char* codeText, const char* nameText, const char* extraText) noexcept
{
    CopyField(code, codeText);
    CopyField(name, nameText);
    CopyField(extra, extraText);
}
