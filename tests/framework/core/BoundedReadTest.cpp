// Reads that end: a file is read up to the size it had when opened, and one
// that reports no size only up to a cap. And the memory a process can get.

#include "framework/core/AvailableMemory.h"
#include "framework/core/Exception.h"
#include "framework/core/RegularFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(RegularFile, ReadsOnlyTheSizeItHadWhenOpened)
{
    TempDir dir;
    const auto path = dir.Write("fmast.dat", "000001   Kia\n");
    const RegularFile file(path.string());
    std::ofstream(path, std::ios::app) << "000002   appended while loading\n";
    EXPECT_EQ(file.ReadAll().View(), "000001   Kia\n");
    std::string chunked;
    file.ForEachChunk(0, SIZE_MAX, 4, [&chunked](std::string_view chunk) {
        chunked += chunk;
        return true;
    });
    EXPECT_EQ(chunked, "000001   Kia\n");
}

TEST(RegularFile, AFileCutShortWhileOpenGivesWhatIsLeft)
{
    TempDir dir;
    const auto path = dir.Write("fmast.dat", "000001   Kia\n000002   Posco\n");
    const RegularFile file(path.string());
    std::filesystem::resize_file(path, 5);
    EXPECT_EQ(file.ReadAll().View(), "00000");
}

TEST(RegularFile, AnEndlessFileWithoutSizeIsRefusedAtTheCap)
{
    // /proc/self/pagemap is a regular file that reports size 0 and holds 8
    // bytes for every page of the address space: endless for our purposes.
    const RegularFile file("/proc/self/pagemap");
    ASSERT_EQ(file.Size(), 0U);
    try {
        file.ReadAll({std::size_t{3} << 20, HoldsMoreThan});
        FAIL() << "read without end";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "cannot read file \"/proc/self/pagemap\": it reports no size and holds more than 3 MB");
    }
}

TEST(RegularFile, AFileWithoutSizeIsReadToItsEndBelowTheCap)
{
    const RegularFile file("/proc/self/stat");
    ASSERT_EQ(file.Size(), 0U);
    const FileBytes bytes = file.ReadAll({1 << 20, HoldsMoreThan});
    EXPECT_EQ(bytes.View().substr(0, std::to_string(::getpid()).size() + 1), std::to_string(::getpid()) + " ");
    EXPECT_EQ(bytes.View().back(), '\n');
}

// Runs `check` in a child process and expects it to exit with 0.
template <class Check>
void InChild(Check&& check)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(check());
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(AvailableMemory, CountsWhatTheAddressSpaceLimitLeaves)
{
    InChild([] {
        std::ifstream status("/proc/self/status");
        std::uint64_t vmSizeKb = 0;
        for (std::string key; status >> key;)
            if (key == "VmSize:")
                status >> vmSizeKb;
        constexpr std::uint64_t room = std::uint64_t{300} << 20;
        const rlimit limit{vmSizeKb * 1024 + room, RLIM_INFINITY};
        if (vmSizeKb == 0 || ::setrlimit(RLIMIT_AS, &limit) != 0)
            return 2;
        const std::uint64_t available = AvailableMemory();
        // A few MB go to what the process maps meanwhile.
        return available <= room && available > room - (std::uint64_t{20} << 20) ? 0 : 1;
    });
}

// A cgroup with no limit of its own ("max") still lives within its parent's.
TEST(AvailableMemory, ACgroupWithoutALimitIsHeldByItsParents)
{
    const std::map<std::filesystem::path, std::string> files = {
        {"/proc/self/mountinfo",
         "35 24 0:30 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:9 - cgroup2 cgroup2 rw\n"},
        {"/proc/self/cgroup", "0::/app.slice/run.scope\n"},
        {"/sys/fs/cgroup/app.slice/run.scope/memory.max", "max\n"},
        {"/sys/fs/cgroup/app.slice/run.scope/memory.current", "4194304\n"},
        {"/sys/fs/cgroup/app.slice/memory.max", "104857600\n"},
        {"/sys/fs/cgroup/app.slice/memory.current", "52428800\n"},
        {"/sys/fs/cgroup/app.slice/memory.stat", "anon 41943040\ninactive_file 10485760\n"},
    };
    const MemorySources sources{
        .readFile = [&files](const std::filesystem::path& path) -> std::optional<std::string> {
            const auto file = files.find(path);
            return file != files.end() ? std::optional(file->second) : std::nullopt;
        },
    };
    EXPECT_EQ(AvailableMemory(sources), std::uint64_t{60} << 20) << "100 MB less the 40 MB that cannot be reclaimed";
}

}  // namespace
