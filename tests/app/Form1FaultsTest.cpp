#include "Form1Fixture.h"

#include "framework/core/TStringList.h"
#include "genmaster/MasterGenerator.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Form1Faults = Form1Fixture;

// Ways a master file can be unusable, with the reason the report gives.
struct BrokenFile {
    const char* name;
    std::function<void(const std::filesystem::path&)> breakIt;
    const char* reason;
};

const std::vector<BrokenFile>& BrokenFiles()
{
    static const std::vector<BrokenFile> cases = {
        {"missing", [](const auto& file) { std::filesystem::remove(file); },
         "cannot open file %s: No such file or directory"},
        {"a directory", [](const auto& file) { std::filesystem::create_directory(file); },
         "cannot read file %s: Is a directory"},
        {"a FIFO with no writer", [](const auto& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); },
         "cannot read file %s: not a regular file (a FIFO)"},
        {"a symlink to /dev/zero", [](const auto& file) { std::filesystem::create_symlink("/dev/zero", file); },
         "cannot read file %s: not a regular file (a character device)"},
        {"a dangling symlink", [](const auto& file) { std::filesystem::create_symlink("nowhere.dat", file); },
         "cannot open file %s: No such file or directory"},
    };
    return cases;
}

std::string Reason(const BrokenFile& broken, const std::string& fileName)
{
    std::string reason = broken.reason;
    // A relative name is shown with the folder it was looked for in.
    reason.replace(reason.find("%s"), 2, "\"" + fileName + "\" in " + std::filesystem::current_path().string());
    return reason;
}

TEST_F(Form1Faults, AnUnusableOmastIsReportedEmptiesTheListAndTheNextLoadWorks)
{
    for (const BrokenFile& broken : BrokenFiles()) {
        SCOPED_TRACE(broken.name);
        reports_.clear();
        WriteMaster("fmast.dat", {"Kia", "Posco"});
        std::filesystem::remove_all("omast.dat");
        broken.breakIt("omast.dat");
        const auto form = OpenForm();
        Reload(*form);
        Settle();
        EXPECT_EQ(form->ComboBox1->Items->Count(), 0);
        EXPECT_EQ(reports_, std::vector<std::string>{Reason(broken, "omast.dat")});

        std::filesystem::remove_all("omast.dat");
        WriteMaster("omast.dat", {"Hanwha", "Doosan", "SK"});
        Reload(*form);
        Settle();
        ASSERT_EQ(form->ComboBox1->Items->Count(), 3);
        const QImage firstRow = PaintedRow(form->ComboBox1, 0);
        EXPECT_EQ(firstRow, DrawnDirectly(Box(form->ComboBox1), firstRow.size(), "Doosan", false));
        form->ComboBox1->SetDroppedDown(false);
        std::filesystem::remove_all("omast.dat");
    }
}

TEST_F(Form1Faults, AnUnusableFmastIsReportedAndTheWindowOpensEmpty)
{
    for (const BrokenFile& broken : BrokenFiles()) {
        SCOPED_TRACE(broken.name);
        reports_.clear();
        std::filesystem::remove_all("fmast.dat");
        broken.breakIt("fmast.dat");
        const auto form = OpenForm();
        EXPECT_TRUE(form->Widget()->isVisible());
        EXPECT_EQ(form->ComboBox1->Items->Count(), 0);
        EXPECT_EQ(reports_, std::vector<std::string>{Reason(broken, "fmast.dat")});
        std::filesystem::remove_all("fmast.dat");
    }
}

// Root reads any file, so as root the test runs itself again as nobody.
TEST_F(Form1Faults, AnUnreadableOmastIsReported)
{
    WriteMaster("fmast.dat", {"Kia"});
    WriteMaster("omast.dat", {"Posco"});
    ASSERT_EQ(::chmod("omast.dat", 0), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chmod(dir_.Path().c_str(), 0755), 0);
        const std::string command = "setpriv --reuid=nobody --regid=nogroup --clear-groups /proc/" +
                                    std::to_string(::getpid()) +
                                    "/exe --gtest_filter=Form1Faults.AnUnreadableOmastIsReported 2>&1";
        // The child works in a directory of its own and checks everything there.
        FILE* child = ::popen(command.c_str(), "r");
        ASSERT_NE(child, nullptr);
        std::string output;
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, child) != nullptr)
            output += buffer;
        const int status = ::pclose(child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << output;
        return;
    }
    const auto form = OpenForm();
    Reload(*form);
    Settle();
    EXPECT_EQ(form->ComboBox1->Items->Count(), 0);
    EXPECT_EQ(reports_, std::vector<std::string>{"cannot open file \"omast.dat\" in " + dir_.Path().string() +
                                                 ": Permission denied"});
}

TEST_F(Form1Faults, AFileReplacedBetweenClicksIsReadAnew)
{
    WriteMaster("fmast.dat", {"Kia"});
    WriteMaster("omast.dat", {"Posco", "Hanwha"});
    const auto form = OpenForm();
    Reload(*form);
    Settle();
    EXPECT_EQ(form->ComboBox1->Items->Count(), 2);
    WriteMaster("omast.new", {"SK", "LG", "Doosan", "Amorepacific"});
    std::filesystem::rename("omast.new", "omast.dat");
    Reload(*form);
    Settle();
    ASSERT_EQ(form->ComboBox1->Items->Count(), 4);
    const QImage firstRow = PaintedRow(form->ComboBox1, 0);
    EXPECT_EQ(firstRow, DrawnDirectly(Box(form->ComboBox1), firstRow.size(), "Amorepacific", false));
    EXPECT_TRUE(reports_.empty());
}

TEST_F(Form1Faults, RemovingTheFileWhileTheWindowIsOpenKeepsWhatWasRead)
{
    WriteMaster("fmast.dat", {"Kia", "Posco"});
    const auto form = OpenForm();
    std::filesystem::remove("fmast.dat");
    const QImage lastRow = PaintedRow(form->ComboBox1, 1);
    EXPECT_EQ(lastRow, DrawnDirectly(Box(form->ComboBox1), lastRow.size(), "Posco", false));
    EXPECT_TRUE(reports_.empty());
}

// Master files with odd contents: every line still gives an item, nothing is
// reported, and the first and last rows paint.
struct OddFile {
    const char* name;
    std::function<std::string()> bytes;
    int lines;
};

TEST_F(Form1Faults, OddMasterFilesLoadLineForLine)
{
    const std::vector<OddFile> files = {
        {"empty", [] { return std::string(); }, 0},
        {"one line of 100 MB", [] { return "005930   " + std::string(100'000'000, 'N'); }, 1},
        {"zero bytes",
         [] {
             return std::string(
                 "12\0"
                 "4567890\0\0\0\r\n\0\0\0",
                 16);
         },
         2},
        {"lone CRs", [] { return std::string("000001   Kia\r000002   Posco\r\r"); }, 3},
        {"random binary",
         [] {
             std::mt19937 random(99);
             std::string bytes(1 << 20, '\0');
             for (char& byte : bytes)
                 byte = static_cast<char>(random());
             return bytes;
         },
         -1},
    };
    for (const OddFile& file : files) {
        SCOPED_TRACE(file.name);
        reports_.clear();
        const std::string bytes = file.bytes();
        dir_.Write("fmast.dat", bytes);
        TStringList reference;
        reference.LoadFromBytes(bytes);
        const auto form = OpenForm();
        EXPECT_TRUE(reports_.empty());
        const auto count = form->ComboBox1->Items->Count();
        EXPECT_EQ(count, reference.Count());
        if (file.lines >= 0) {
            EXPECT_EQ(count, file.lines);
        }
        if (count > 0) {
            EXPECT_EQ(PaintedRow(form->ComboBox1, 0).height(), 16);
            EXPECT_EQ(PaintedRow(form->ComboBox1, static_cast<int>(count - 1)).height(), 16);
        }
    }
}

TEST_F(Form1Faults, TwoMillionLinesLoad)
{
    MasterGenerator generator({.lines = 2'000'000});
    std::string text;
    for (int i = 0; i < 2'000'000; ++i)
        generator.AppendLine(text);
    dir_.Write("fmast.dat", text);
    const auto form = OpenForm();
    EXPECT_TRUE(reports_.empty());
    EXPECT_EQ(form->ComboBox1->Items->Count(), 2'000'000);
    EXPECT_EQ(PaintedRow(form->ComboBox1, 1'999'999).height(), 16);
}

}  // namespace
