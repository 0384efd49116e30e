#include "stockdata/StockRecord.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace {

std::array<unsigned char, 70> BytesOf(const RecStocks& record)
{
    std::array<unsigned char, 70> bytes{};
    std::memcpy(bytes.data(), &record, bytes.size());
    return bytes;
}

// Checks that bytes [from, to) are `text` followed by 0 bytes.
void ExpectField(const std::array<unsigned char, 70>& bytes, std::size_t from, std::size_t to, const std::string& text)
{
    for (std::size_t i = from; i < to; ++i) {
        const std::size_t at = i - from;
        const unsigned char expected = at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
        EXPECT_EQ(bytes[i], expected) << "record byte " << i;
    }
}

TEST(RecStocks, EmptyTextsGiveSeventyZeroBytes)
{
    const auto bytes = BytesOf(STData("", "", ""));
    ExpectField(bytes, 0, 70, "");
}

TEST(RecStocks, LongTextsAreCutToTheirFieldAndTheLastByteStaysZero)
{
    const std::string name40(40, 'N');
    const auto bytes = BytesOf(RecStocks("123456789ABC", name40.c_str(), "EEEEEEEEEEEEEEEEEEEEEEEE"));
    ExpectField(bytes, 0, 10, "123456789");
    ExpectField(bytes, 10, 49, std::string(38, 'N'));
    ExpectField(bytes, 49, 70, std::string(20, 'E'));
}

TEST(RecStocks, ExactWidthNameFillsTheFieldUpToItsZero)
{
    const std::string name38(38, 'x');
    const auto bytes = BytesOf(STData("1", name38.c_str(), ""));
    ExpectField(bytes, 10, 49, name38);
}

TEST(RecStocks, ShortTextsAreZeroFilled)
{
    const auto bytes = BytesOf(STData("005930   ", "\xBB\xEF", " "));
    ExpectField(bytes, 0, 10, "005930   ");
    ExpectField(bytes, 10, 49, "\xBB\xEF");
    ExpectField(bytes, 49, 70, " ");
}

TEST(RecStocks, CopiesAreWholeValues)
{
    const STData original("A", "Alpha", " ");
    STData copy("B", "Beta", "x");
    copy = original;
    EXPECT_EQ(BytesOf(copy), BytesOf(original));
}

}  // namespace
