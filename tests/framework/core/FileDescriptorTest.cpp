#include "framework/core/FileDescriptor.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>

namespace {

// A program the window starts must not inherit its files, and none may stay
// open once read.
TEST(FileDescriptor, IsClosedOnExecAndWhenItGoes)
{
    const TempDir dir;
    const auto path = dir.Write("fmast.dat", "000001   Kia\n");
    int fd = -1;
    {
        const std::optional<FileDescriptor> file = FileDescriptor::OpenForReading(path.c_str(),
                                                                                  FifoOpen::WithoutWaiting);
        ASSERT_TRUE(file);
        fd = file->Get();
        EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    }
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
}

}  // namespace
