#include "framework/core/Exception.h"
#include "framework/core/TStringList.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <grp.h>
#include <ostream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace std::string_literals;

namespace {

std::vector<std::string> LinesOf(const TStringList& list)
{
    std::vector<std::string> lines;
    for (TStringList::Index i = 0; i < list.Count(); ++i)
        lines.emplace_back(list.Strings(i).View());
    return lines;
}

struct LineRuleCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

// gtest would otherwise print the case as its raw bytes, heap addresses
// included, into every listing of the test.
void PrintTo(const LineRuleCase& c, std::ostream* out)
{
    *out << c.name;
}

class LineRule : public testing::TestWithParam<LineRuleCase> {};

TEST_P(LineRule, SplitsTextIntoLines)
{
    TStringList list;
    list.LoadFromBytes(GetParam().text);
    EXPECT_EQ(LinesOf(list), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LineRule,
    testing::Values(LineRuleCase{"empty_text_has_no_lines", "", {}},
                    LineRuleCase{"lf_ends_a_line", "a\nb\n", {"a", "b"}},
                    LineRuleCase{"crlf_ends_a_line", "a\r\nb\r\n", {"a", "b"}},
                    LineRuleCase{"lone_cr_ends_a_line", "a\rb\r", {"a", "b"}},
                    LineRuleCase{"mixed_line_ends", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
                    LineRuleCase{"last_line_without_line_end_counts", "a\nlast", {"a", "last"}},
                    LineRuleCase{"empty_lines_are_kept", "\n\r\n\ra\n\n", {"", "", "", "a", ""}},
                    LineRuleCase{"lf_cr_is_two_line_ends", "a\n\rb", {"a", "", "b"}},
                    LineRuleCase{"cr_cr_lf_is_two_line_ends", "a\r\r\nb", {"a", "", "b"}},
                    LineRuleCase{"zero_bytes_stay_inside_their_line", "a\0b\n\0\n"s, {"a\0b"s, "\0"s}},
                    LineRuleCase{"only_a_line_end_is_one_empty_line", "\r\n", {""}},
                    LineRuleCase{"lone_crs_then_lf", "a\rb\rc\nd", {"a", "b", "c", "d"}}),
    [](const testing::TestParamInfo<LineRuleCase>& param) { return param.param.name; });

TEST(TStringList, AddAppendsOneLineAfterTheLoadedOnesWithWhateverBytesItHolds)
{
    TStringList list;
    list.LoadFromBytes("a\nb");
    list.Add("c\r\nd");
    list.Add("");
    EXPECT_EQ(LinesOf(list), (std::vector<std::string>{"a", "b", "c\r\nd", ""}));
}

// What a list is put through, one step at a time.
struct Step {
    enum Kind { Add, Load, Clear, MoveConstructAway, MoveAssignAway } kind;
    std::string text;               // the line to add, or the bytes to load
    TStringList::Index copies = 1;  // of the line to add, in one call
};

struct StepsCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::string> lines;
};

void PrintTo(const StepsCase& c, std::ostream* out)
{
    *out << c.name;
}

class ListSteps : public testing::TestWithParam<StepsCase> {};

// The lines of `list` moved into another list, by construction or by
// assignment; `list` is left as the move leaves it, which the steps after
// go on to use: an empty list is part of the contract.
std::vector<std::string> MoveAway(TStringList& list, Step::Kind how)
{
    if (how == Step::MoveConstructAway) {
        const TStringList taken(std::move(list));
        return LinesOf(taken);
    }
    TStringList taken;
    taken.Add("other");
    taken = std::move(list);
    return LinesOf(taken);
}

// Lines equal to the first are held as a count: whatever follows, every
// line reads back as added, in its place.
TEST_P(ListSteps, ReadBackEveryLineAsAdded)
{
    TStringList list;
    for (const Step& step : GetParam().steps) {
        switch (step.kind) {
        case Step::Add:
            if (step.copies == 1)
                list.Add(ByteString(step.text));
            else
                list.Add(ByteString(step.text), step.copies);
            break;
        case Step::Load:
            list.LoadFromBytes(step.text);
            break;
        case Step::Clear:
            list.Clear();
            break;
        case Step::MoveConstructAway:
        case Step::MoveAssignAway:
            ASSERT_EQ(MoveAway(list, step.kind), (std::vector<std::string>{"NULL", "NULL"})) << "what was moved";
            break;
        }
    }
    EXPECT_EQ(LinesOf(list), GetParam().lines);
    EXPECT_EQ(list.Count(), static_cast<TStringList::Index>(GetParam().lines.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Adds, ListSteps,
    testing::Values(
        StepsCase{"a_run_of_equal_lines",
                  {{Step::Add, "NULL"}, {Step::Add, "NULL"}, {Step::Add, "NULL"}},
                  {"NULL", "NULL", "NULL"}},
        StepsCase{"a_differing_line_ends_the_run",
                  {{Step::Add, "NULL"}, {Step::Add, "NULL"}, {Step::Add, "NUL"}},
                  {"NULL", "NULL", "NUL"}},
        StepsCase{"the_first_text_after_a_differing_line_keeps_its_place",
                  {{Step::Add, "NULL"}, {Step::Add, "x"}, {Step::Add, "NULL"}, {Step::Add, "NULL"}, {Step::Add, "y"}},
                  {"NULL", "x", "NULL", "NULL", "y"}},
        StepsCase{"empty_lines_repeat_too", {{Step::Add, ""}, {Step::Add, ""}, {Step::Add, "x"}}, {"", "", "x"}},
        StepsCase{"copies_in_one_call_read_back_as_added_one_by_one",
                  {{Step::Add, "NULL", 3},
                   {Step::Add, "x", 0},
                   {Step::Add, "NULL", 2},
                   {Step::Add, "x", 2},
                   {Step::Add, "NULL", 2}},
                  {"NULL", "NULL", "NULL", "NULL", "NULL", "x", "x", "NULL", "NULL"}},
        StepsCase{"copies_after_loaded_lines_follow_them",
                  {{Step::Load, "a\nb"}, {Step::Add, "a", 2}},
                  {"a", "b", "a", "a"}},
        StepsCase{"a_load_replaces_a_run",
                  {{Step::Add, "NULL"}, {Step::Add, "NULL"}, {Step::Load, "a\nb"}},
                  {"a", "b"}},
        StepsCase{"lines_equal_to_the_first_loaded_follow_the_load",
                  {{Step::Load, "a\nb"}, {Step::Add, "a"}, {Step::Add, "a"}},
                  {"a", "b", "a", "a"}},
        StepsCase{"a_cleared_run_is_gone",
                  {{Step::Add, "NULL"}, {Step::Add, "NULL"}, {Step::Clear, ""}, {Step::Add, "y"}},
                  {"y"}},
        StepsCase{"a_run_moved_away_by_construction_leaves_an_empty_list",
                  {{Step::Add, "NULL"}, {Step::Add, "NULL"}, {Step::MoveConstructAway, ""}, {Step::Add, "z"}},
                  {"z"}},
        StepsCase{"a_run_moved_away_by_assignment_leaves_an_empty_list",
                  {{Step::Add, "NULL"}, {Step::Add, "NULL"}, {Step::MoveAssignAway, ""}},
                  {}}),
    [](const testing::TestParamInfo<StepsCase>& param) { return param.param.name; });

TEST(TStringList, ManyLoneCrLinesSplitInLinearTime)
{
    // A quadratic search for LF would take minutes here.
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "x\r";
    TStringList list;
    list.LoadFromBytes(std::move(text));
    EXPECT_EQ(list.Count(), 200000);
}

TEST(TStringList, LoadFromFileReadsTheFileBytes)
{
    TempDir dir;
    const auto file = dir.Write("fmast.dat", "one\r\ntwo\xB0\r\nthree");
    TStringList list;
    list.LoadFromFile(file.c_str());
    EXPECT_EQ(LinesOf(list), (std::vector<std::string>{"one", "two\xB0", "three"}));
}

// The message a failed load gives for `fileName`, or "" when it did not fail.
std::string LoadFailure(const std::string& fileName)
{
    TStringList list;
    try {
        list.LoadFromFile(fileName.c_str());
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

TEST(TStringList, LoadFromFileNamesTheFileAndReasonOnFailure)
{
    TempDir dir;
    const std::string missing = (dir.Path() / "omast.dat").string();
    EXPECT_EQ(LoadFailure(missing), "cannot open file \"" + missing + "\": No such file or directory");

    EXPECT_EQ(LoadFailure(dir.Path().string()), "cannot read file \"" + dir.Path().string() + "\": Is a directory");

    const auto dangling = dir.Path() / "dangling.dat";
    std::filesystem::create_symlink(dir.Path() / "nowhere", dangling);
    EXPECT_EQ(LoadFailure(dangling.string()),
              "cannot open file \"" + dangling.string() + "\": No such file or directory");
}

TEST(TStringList, LoadFromFileRefusesFifoWithoutWaitingForAWriter)
{
    TempDir dir;
    const auto fifo = dir.Path() / "fmast.dat";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    EXPECT_EQ(LoadFailure(fifo.string()), "cannot read file \"" + fifo.string() + "\": not a regular file (a FIFO)");
}

TEST(TStringList, LoadFromFileRefusesADeviceBehindASymlink)
{
    TempDir dir;
    const auto link = dir.Path() / "fmast.dat";
    std::filesystem::create_symlink("/dev/zero", link);
    EXPECT_EQ(LoadFailure(link.string()),
              "cannot read file \"" + link.string() + "\": not a regular file (a character device)");
}

TEST(TStringList, LoadFromFileReportsPermissionDenied)
{
    TempDir dir;
    const auto file = dir.Write("omast.dat", "secret\n");
    ::chmod(file.c_str(), 0);
    ::chmod(dir.Path().c_str(), 0755);
    const std::string expected = "cannot open file \"" + file.string() + "\": Permission denied";
    if (::geteuid() != 0) {
        EXPECT_EQ(LoadFailure(file.string()), expected);
        return;
    }
    // Root reads anything: try it as nobody in a child process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(!dropped ? 2 : LoadFailure(file.string()) == expected ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: wrong or no failure as nobody, 2: could not drop privileges";
}

TEST(TStringList, FailedLoadKeepsThePreviousLines)
{
    TStringList list;
    list.LoadFromBytes("kept\n");
    EXPECT_THROW(list.LoadFromFile("/nonexistent/omast.dat"), Exception);
    EXPECT_EQ(LinesOf(list), std::vector<std::string>{"kept"});
}

}  // namespace
