#include "framework/core/ByteString.h"
#include "framework/core/Exception.h"
#include "framework/core/TStringList.h"
#include "stockdata/MasterFile.h"
#include "support/PlainReference.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

using namespace std::string_literals;

namespace {

using Fields = std::pair<std::string, std::string>;  // code text, name text

std::vector<Fields> FieldsOf(const vecST& store)
{
    std::vector<Fields> fields;
    for (const STData& record : store) {
        EXPECT_STREQ(record.extra, " ");
        fields.emplace_back(record.code, record.name);
    }
    return fields;
}

std::vector<Fields> ReadText(std::string text)
{
    TStringList lines;
    lines.LoadFromBytes(std::move(text));
    return FieldsOf(RecordsFromLines(lines));
}

TEST(ReadMasterFile, OneRecordPerLineInFileOrder)
{
    TempDir dir;
    dir.Write("fmast.dat", "000020   Dongwha Pharm\r\n005930   Samsung Electronics\r\n000660   SK Hynix\r\n");
    const std::vector<Fields> expected = {
        {"000020   ", "Dongwha Pharm"}, {"005930   ", "Samsung Electronics"}, {"000660   ", "SK Hynix"}};
    EXPECT_EQ(FieldsOf(ReadMasterFile((dir.Path() / "fmast.dat").c_str())), expected);
}

TEST(ReadMasterFile, TakesColumnsOneToNineAndTenToFortySeven)
{
    const std::string name38 = "Samsung Electronics Pref              ";
    ASSERT_EQ(name38.size(), 38U);
    const std::string line60 = "005935   " + name38 + "0000071200KS";
    EXPECT_EQ(ReadText(line60), (std::vector<Fields>{{"005935   ", name38}}));
    EXPECT_EQ(ReadText("12345678901234567890"), (std::vector<Fields>{{"123456789", "01234567890"}}));
    EXPECT_EQ(ReadText("123456789"), (std::vector<Fields>{{"123456789", ""}}));
    EXPECT_EQ(ReadText("123456789N"), (std::vector<Fields>{{"123456789", "N"}}));
    EXPECT_EQ(ReadText("1234"), (std::vector<Fields>{{"1234", ""}}));
}

TEST(ReadMasterFile, EmptyAndRepeatedLinesAreKept)
{
    const std::vector<Fields> expected = {{"111111   ", "Kia"}, {"", ""}, {"222222   ", "Kia"}, {"222222   ", "Kia"}};
    EXPECT_EQ(ReadText("111111   Kia\n\n222222   Kia\n222222   Kia\n"), expected);
}

TEST(ReadMasterFile, AZeroByteEndsTheFieldText)
{
    EXPECT_EQ(ReadText("12\0"
                       "456789Name\0Rest"s),
              (std::vector<Fields>{{"12", "Name"}}));
}

TEST(ReadMasterFile, LinesThatFillBothFieldsMakeTheSameRecordsAsTheColumnsSay)
{
    const std::string name = "Samsung Electronics Pref Shares Class1";
    const std::string line = "005930   " + name + "0000071200KS";
    std::string text;
    std::vector<STData> expected;
    for (const std::size_t column : {1, 5, 9, 10, 30, 46, 47, 48}) {
        std::string withZero = line;
        withZero[column - 1] = '\0';
        text += withZero + "\n";
        expected.emplace_back(withZero.substr(0, 9).c_str(), withZero.substr(9, 38).c_str(), " ");
    }
    // And lines without a 0 byte that just fill both fields, or just miss.
    for (const std::size_t length : {46, 47}) {
        text += line.substr(0, length) + "\n";
        expected.emplace_back(line.substr(0, 9).c_str(), line.substr(9, length - 9).c_str(), " ");
    }
    TStringList lines;
    lines.LoadFromBytes(std::string(text));
    for (const vecST& store : {RecordsFromBytes(text), RecordsFromLines(lines)}) {
        ASSERT_EQ(store.size(), expected.size());
        for (std::size_t i = 0; i < store.size(); ++i)
            EXPECT_EQ(std::memcmp(&store[i], &expected[i], sizeof(STData)), 0) << "line " << i + 1;
    }
}

TEST(ReadMasterFile, EmptyFileGivesAnEmptyStore)
{
    TempDir dir;
    dir.Write("fmast.dat", "");
    EXPECT_TRUE(ReadMasterFile((dir.Path() / "fmast.dat").c_str()).empty());
}

TEST(ReadMasterFile, MissingFileRaisesTheFrameworkException)
{
    TempDir dir;
    const std::string missing = (dir.Path() / "omast.dat").string();
    try {
        ReadMasterFile(missing.c_str());
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "cannot open file \"" + missing + "\": No such file or directory");
    }
}

TEST(ReadMasterFile, AFileWithoutSizeHoldingMoreThanTheCapIsNoMasterFile)
{
    // Size 0, and 8 bytes for every page of the address space.
    LoadOptions options;
    options.sizelessCap = std::size_t{3} << 20;
    try {
        ReadMasterFile("/proc/self/pagemap", options);
        FAIL() << "read without end";
    } catch (const Exception& e) {
        EXPECT_EQ(
            e.Message(),
            "cannot read file \"/proc/self/pagemap\": it reports no size and holds more than 3 MB: not a master file");
    }
}

// The store is sized from a first pass over the file and its records are
// made in a second: a file rewritten in between must give either records
// that were all made from lines, or the error that says it changed.
TEST(ReadMasterFile, AFileRewrittenWhileItIsReadGivesWholeRecordsOrSaysItChanged)
{
    TempDir dir;
    std::string longer;
    std::string shorter;
    for (int i = 0; i < 20000; ++i) {
        longer += std::to_string(100000 + i) + "   Long name " + std::to_string(i) + "\n";
        if (i % 2 == 0)
            shorter += std::to_string(200000 + i) + "   Short " + std::to_string(i) + "\n";
    }
    const std::string path = dir.Write("fmast.dat", longer).string();
    // Every store in fresh, zero-filled pages, where an unmade record shows:
    // a block the allocator reused could still hold an earlier read's records.
    // glibc takes this advice; the sanitizers' allocators, which ignore it,
    // do not hand a freed block out again soon.
    ::mallopt(M_MMAP_THRESHOLD, 64 << 10);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::jthread writer([&](std::stop_token stop) {
        for (bool useLonger = false; !stop.stop_requested(); useLonger = !useLonger) {
            const std::string& text = useLonger ? longer : shorter;
            if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, text.data(), text.size(), 0) < 0)
                break;
        }
    });

    int changed = 0;
    int whole = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((changed == 0 || whole == 0) && std::chrono::steady_clock::now() < deadline) {
        try {
            const vecST store = ReadMasterFile(path.c_str());
            ++whole;
            for (const STData& record : store)
                ASSERT_STREQ(record.extra, " ") << "a record of " << store.size() << " was never made";
        } catch (const Exception& e) {
            ASSERT_NE(e.Message().find("it changed while it was read"), std::string::npos) << e.Message();
            ++changed;
        }
    }
    writer.request_stop();
    writer.join();
    ::close(fd);
    EXPECT_GT(changed, 0) << "the file never changed between the two passes";
    EXPECT_GT(whole, 0);
}

}  // namespace
