// The fast load path (chunked reading, the direct reader, the radix-sorted
// view on several threads) against a plain reference written here: records
// cut by the line rule read byte by byte, ordered by std::stable_sort.

#include "framework/core/ByteString.h"
#include "framework/core/LineRule.h"
#include "stockdata/MasterFile.h"
#include "stockdata/SortedView.h"
#include "support/PlainReference.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace std::string_literals;

namespace {

std::vector<std::string> ReferenceLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') {
            line += text[i];
            continue;
        }
        lines.push_back(std::exchange(line, {}));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    if (!text.empty() && text.back() != '\n' && text.back() != '\r')
        lines.push_back(line);
    return lines;
}

// "code|name" of each record, in view order: the bytes the window shows.
using Rows = std::vector<std::string>;

std::string RowOf(const STData& record)
{
    return std::string(record.code, ::strnlen(record.code, 10)) + "|" +
           std::string(record.name, ::strnlen(record.name, 39));
}

Rows ReferenceRows(std::string_view text)
{
    std::vector<STData> records;
    for (const std::string& line : ReferenceLines(text)) {
        const std::string code = line.substr(0, 9);
        const std::string name = line.size() >= 10 ? line.substr(9, 38) : "";
        records.emplace_back(code.c_str(), name.c_str(), " ");
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const STData& a, const STData& b) { return std::memcmp(a.name, b.name, 38) < 0; });
    Rows rows;
    for (const STData& record : records)
        rows.push_back(RowOf(record));
    return rows;
}

Rows ViewRows(const vecST& store, const Parallelism& parallelism)
{
    Rows rows;
    for (const STData* record : MakeSortedST(store, SortKeyName, parallelism))
        rows.push_back(RowOf(*record));
    return rows;
}

const Parallelism OneThread{1, 1};
const Parallelism ManyThreads{4, 1};  // forced even on tiny inputs

struct Input {
    const char* name;
    std::string text;
};

// Keeps CTest's test names short and the same from run to run.
[[maybe_unused]] void PrintTo(const Input& input, std::ostream* out)
{
    *out << input.name;
}

std::string Repeat(std::string_view line, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += line;
    return text;
}

std::string Lines(std::initializer_list<std::string_view> lines, std::string_view end = "\r\n")
{
    std::string text;
    for (std::string_view line : lines)
        (text += line) += end;
    return text;
}

std::vector<Input> HardInputs()
{
    std::mt19937 random(7);
    // Few distinct bytes make long runs of equal names and shared prefixes,
    // enough lines to take the multi-pass and multi-thread paths.
    std::string manyAlike;
    const std::string alphabet = "ab \x80\xFF\x01"s;
    for (int i = 0; i < 40000; ++i) {
        std::string line = "00" + std::to_string(random() % 1000) + "     ";
        line.resize(9, ' ');
        line += "Samsung Electronics Co Ltd Pref Shares";
        line.resize(9 + 30 + random() % 9, 'x');
        for (int k = 0; k < 3; ++k)
            line[9 + 28 + random() % (line.size() - 37)] = alphabet[random() % alphabet.size()];
        manyAlike += line + (random() % 3 == 0 ? "\n" : random() % 2 ? "\r" : "\r\n");
    }
    // A few names, each repeated many times, that share their first 8 bytes.
    const std::vector<std::string> fewNames = {"Samsung Fund 200", "Samsung Fund 200 Lev", "Samsung Electronics",
                                               "Samsung Fund 20",  "Samsung Fund 199\xFF", "Samsung Fund 1"};
    std::string repeated;
    for (int i = 0; i < 6000; ++i) {
        const std::string code = std::to_string(100000 + i) + "   ";
        repeated += code + fewNames[random() % fewNames.size()] + "\n";
    }
    return {
        {"empty_file", ""},
        {"only_line_ends", "\r\n\n\r\r\n\n"},
        {"lone_crs", "000001   b\r000002   a\r\r"},
        {"one_line_without_end", "005930   Samsung"},
        {"two_lines", Lines({"000002   b", "000001   a"})},
        {"short_lines", Lines({"", "1", "12345678", "123456789", "1234567890", "12345678Z"}, "\n")},
        {"long_lines_cut_at_column_47", Lines({std::string(300, 'z'), "000001   " + std::string(80, 'a')})},
        {"zero_bytes_inside_fields", Lines({"00\0"
                                            "001   n\0me"s,
                                            "000002   name",
                                            "0000\0"
                                            "3   \0"s})},
        {"all_names_equal", Repeat("000001   Kia Motors\r\n", 100) + Repeat("000002   Kia Motors\n", 100)},
        {"names_sharing_37_bytes",
         Lines({"1        " + std::string(37, 'k') + "b", "2        " + std::string(37, 'k') + "a",
                "3        " + std::string(37, 'k'), "4        " + std::string(37, 'k') + "\x80"})},
        {"high_bytes_sort_after_ascii",
         Lines({"1        \xFF", "2        \x80\x01", "3        \x7F", "4        \x01"})},
        {"many_alike_names", manyAlike},
        {"few_names_repeated", repeated},
    };
}

class FastLoad : public testing::TestWithParam<Input> {};

TEST_P(FastLoad, RecordsFromBytesMatchTheReference)
{
    const Rows expected = ReferenceRows(GetParam().text);
    EXPECT_EQ(ViewRows(RecordsFromBytes(GetParam().text, OneThread), OneThread), expected) << "one thread";
    EXPECT_EQ(ViewRows(RecordsFromBytes(GetParam().text, ManyThreads), ManyThreads), expected) << "several threads";
}

TEST_P(FastLoad, ReadMasterFileMatchesTheReference)
{
    TempDir dir;
    const auto file = dir.Write("fmast.dat", GetParam().text);
    const Rows expected = ReferenceRows(GetParam().text);
    EXPECT_EQ(ViewRows(ReadMasterFile(file.c_str(), LoadOptions{OneThread, {}}), OneThread), expected) << "one thread";
    EXPECT_EQ(ViewRows(ReadMasterFile(file.c_str(), LoadOptions{ManyThreads, {}}), ManyThreads), expected)
        << "several threads";
}

TEST_P(FastLoad, ChunkedLinesMatchTheLineRuleAtEveryChunkSize)
{
    const std::string& text = GetParam().text;
    const std::vector<std::string> expected = ReferenceLines(text);
    for (std::size_t chunkSize : {1, 2, 3, 7, 64}) {
        std::vector<std::string> lines;
        // Keeping 47 bytes is all the reader needs of a line.
        ChunkedLines splitter(47);
        ChunkedLineCount counter;
        const auto keep = [&lines](std::string_view line) { lines.emplace_back(line); };
        for (std::size_t at = 0; at < text.size(); at += chunkSize) {
            splitter.Feed(std::string_view(text).substr(at, chunkSize), keep);
            counter.Feed(std::string_view(text).substr(at, chunkSize));
        }
        splitter.Finish(keep);
        EXPECT_EQ(counter.Lines(), expected.size()) << "chunk size " << chunkSize;
        ASSERT_EQ(lines.size(), expected.size()) << "chunk size " << chunkSize;
        for (std::size_t i = 0; i < lines.size(); ++i)
            ASSERT_EQ(lines[i], expected[i].substr(0, 47)) << "line " << i << ", chunk size " << chunkSize;
    }
    EXPECT_EQ(CountLines(text), expected.size());
}

INSTANTIATE_TEST_SUITE_P(HardInputs, FastLoad, testing::ValuesIn(HardInputs()),
                         [](const testing::TestParamInfo<Input>& input) { return input.param.name; });

TEST(ReadMasterFile, CrLfAndLinesAcrossTheReadChunksMatchTheReference)
{
    // The reader reads 256 KB at a time: put a CR LF and a long line on
    // each side of the first boundaries.
    std::mt19937 random(3);
    std::string text;
    for (std::size_t boundary : {std::size_t{256} << 10, std::size_t{512} << 10}) {
        while (text.size() < boundary - 1)
            text += "000001   Kia\r\n" + std::string(random() % 2, 'x');
        text.resize(boundary - 1);
        text += "\r\n000002   across the boundary";
        text += std::string(100000, 'y') + "\n";
    }
    TempDir dir;
    const auto file = dir.Write("fmast.dat", text);
    EXPECT_EQ(ViewRows(ReadMasterFile(file.c_str(), LoadOptions{OneThread, {}}), OneThread), ReferenceRows(text));
    // Three parts: cuts land near 1/3 and 2/3 of the file, inside long lines.
    EXPECT_EQ(ViewRows(ReadMasterFile(file.c_str(), LoadOptions{Parallelism{3, 1}, {}}), OneThread),
              ReferenceRows(text));
}

TEST(ReadMasterFile, CutInsideALineLongerThanTheFirstLookMatchesTheReference)
{
    // Two parts: the cut lands at the middle, inside a long line whose CR
    // is the last byte of the reader's first look for a line end, with an
    // LF (CR LF) or a new line (lone CR) after it.
    constexpr std::size_t half = 8192;
    constexpr std::size_t firstLook = 4096;
    for (const std::string after : {"\n", "0"}) {
        std::string text = "000001   start\n";
        text += std::string(half - 1 + firstLook - 1 - text.size(), 'y') + "\r" + after;
        text += "000002   after" + std::string(2 * half - text.size() - 15, 'z') + "\n";
        ASSERT_EQ(text.size(), 2 * half);
        TempDir dir;
        const auto file = dir.Write("fmast.dat", text);
        EXPECT_EQ(ViewRows(ReadMasterFile(file.c_str(), LoadOptions{Parallelism{2, 1}, {}}), OneThread),
                  ReferenceRows(text));
    }
}

TEST(FindLineEnd, MatchesTheByteAtATimeSearch)
{
    std::mt19937 random(11);
    std::string text(4096, 'a');
    for (int round = 0; round < 200; ++round) {
        for (char& byte : text)
            byte = random() % 40 == 0 ? "\r\n\0\x8D\x8A"[random() % 5] : static_cast<char>(random());
        const char* const end = text.data() + text.size();
        for (std::size_t from = random() % 64; from < text.size(); from += 1 + random() % 97)
            ASSERT_EQ(FindLineEnd(text.data() + from, end), FindLineEndPlain(text.data() + from, end));
    }
}

TEST(CountLines, MatchesTheByteAtATimeCount)
{
    std::mt19937 random(12);
    std::string text(9000, 'a');
    // Line ends everywhere too: each byte counter fills up to its limit.
    for (const char* fill : {"\n", "\r", "\r\n", "\n\r"}) {
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = fill[i % std::strlen(fill)];
        ASSERT_EQ(CountLines(text), CountLinesPlain(text)) << "all " << testing::PrintToString(fill);
    }
    for (int round = 0; round < 100; ++round) {
        const unsigned density = 2 + random() % 60;
        for (char& byte : text)
            byte = random() % density == 0 ? "\r\n"[random() % 2] : static_cast<char>(random());
        for (std::size_t from = random() % 32; from < text.size(); from += 1 + random() % 1500) {
            const std::string_view part = std::string_view(text).substr(from, random() % 5000);
            ASSERT_EQ(CountLines(part), CountLinesPlain(part)) << "from " << from << ", " << part.size() << " bytes";
        }
    }
}

TEST(MakeSortedST, ViewNodesComeFromOnePoolAndListOperationsStillWork)
{
    const vecST store = RecordsFromBytes(Lines({"1        c", "2        a", "3        b"}));
    lstPST view = MakeSortedST(store, SortKeyName, OneThread);
    const lstPST copy = view;
    // Kept as a number: the pointer itself is not valid once its node is freed.
    const auto erasedSlot = reinterpret_cast<std::uintptr_t>(&view.front());
    view.erase(view.begin());
    view.push_back(&store[1]);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(&view.back()), erasedSlot) << "the erased node is reused";
    view.sort(LessST());
    lstPST moved = std::move(view);
    ASSERT_EQ(moved.size(), 3U);
    EXPECT_EQ(moved.front(), &store[1]);
    EXPECT_EQ(copy.front(), &store[1]);
    EXPECT_EQ(copy.back(), &store[0]);
}

}  // namespace
