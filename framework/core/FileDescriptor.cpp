#include "framework/core/FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

std::optional<FileDescriptor> FileDescriptor::OpenForReading(const char* path, FifoOpen fifo) noexcept
{
    // O_CLOEXEC so that no program started meanwhile inherits the file.
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | (fifo == FifoOpen::WithoutWaiting ? O_NONBLOCK : 0);
    const int fd = ::open(path, flags);
    if (fd < 0)
        return std::nullopt;
    return FileDescriptor(fd);
}

// Don't retry close on EINTR: the descriptor is gone either way on Linux.
FileDescriptor::~FileDescriptor() noexcept
{
    if (fd_ >= 0)
        ::close(fd_);
}
