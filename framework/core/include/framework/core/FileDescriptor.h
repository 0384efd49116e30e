#pragma once

#include <optional>
#include <utility>

// How an open of a FIFO goes: at once, so that one with no writer cannot
// hang the caller, or waiting for a writer, as a filter reading it does.
enum class FifoOpen { WithoutWaiting, WaitingForWriter };

// An open file descriptor, closed when its owner goes: the one way files are
// opened here. It is not a file reader: RegularFile reads through one.
class FileDescriptor {
public:
    // Opens `path` read-only, close-on-exec, and never as the controlling
    // terminal; nothing when it cannot, with errno saying why.
    static std::optional<FileDescriptor> OpenForReading(const char* path, FifoOpen fifo) noexcept;

    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() noexcept;

    int Get() const noexcept { return fd_; }

private:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}

    int fd_;  // -1 once moved from
};
