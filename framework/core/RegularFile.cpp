#include "framework/core/RegularFile.h"

#include "framework/core/Exception.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const char* what, const std::string& fileName, const std::string& reason)
{
    throw Exception(std::string(what) + " file \"" + fileName + "\": " + reason);
}

std::string KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return std::strerror(EISDIR);
    if (S_ISFIFO(mode))
        return "not a regular file (a FIFO)";
    if (S_ISCHR(mode))
        return "not a regular file (a character device)";
    if (S_ISBLK(mode))
        return "not a regular file (a block device)";
    if (S_ISSOCK(mode))
        return "not a regular file (a socket)";
    return "not a regular file";
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    // Don't retry close on EINTR: the descriptor is gone either way on Linux.
    ~FileDescriptor() noexcept { ::close(fd_); }
    int Get() const noexcept { return fd_; }

private:
    int fd_;
};

}  // namespace

std::string ReadRegularFile(const std::string& fileName)
{
    // O_NONBLOCK so that opening a FIFO with no writer returns at once.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        Fail("cannot open", fileName, std::strerror(errno));
    const FileDescriptor file(fd);

    struct stat status {};
    if (::fstat(file.Get(), &status) != 0)
        Fail("cannot read", fileName, std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        Fail("cannot read", fileName, KindOf(status.st_mode));

    // Sized from fstat, but the file may change under us: read until EOF.
    // Appending from a small chunk spares zero-filling the whole buffer first.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(file.Get(), chunk, sizeof chunk);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            Fail("cannot read", fileName, std::strerror(errno));
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
}
