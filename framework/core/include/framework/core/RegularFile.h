#pragma once

#include "framework/core/FileDescriptor.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// The bytes of a file in one block, allocated without zero-filling and with
// huge pages where the kernel gives them.
class FileBytes {
public:
    FileBytes() = default;
    FileBytes(std::unique_ptr<char[]> data, std::size_t size) noexcept : data_(std::move(data)), size_(size) {}

    std::string_view View() const noexcept { return {data_.get(), size_}; }

private:
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
};

// A file that reports no size (as /proc files do) is read to its end, but
// only up to this many bytes by default.
inline constexpr std::size_t SizelessFileCap = std::size_t{2} << 30;

// How much of a file that reports no size, or of a stream, is read: up to
// `bytes`; one that holds more is refused, `reason(bytes)` saying why after
// "cannot read file {0}: ". A reader of its own kind of file names it there.
struct SizelessLimit {
    std::size_t bytes;
    std::string (*reason)(std::size_t bytes);
};
// Why a file that reports no size is refused beyond `cap` bytes, of any kind.
std::string HoldsMoreThan(std::size_t cap);
inline constexpr SizelessLimit AnySizelessFile{SizelessFileCap, HoldsMoreThan};

// An open regular file. Anything else (a directory, FIFO, socket or device,
// also behind a symlink) is refused before a byte is read, so a file name
// can never make the caller hang or read forever. Reads never go past
// the size the file had when it was opened, so a file that grows meanwhile
// cannot make them endless. Throws Exception naming the file and the reason.
class RegularFile {
public:
    explicit RegularFile(std::string fileName);

    const std::string& Name() const noexcept { return name_; }
    // The size when opened; 0 also for files that report none, as /proc files do.
    std::size_t Size() const noexcept { return size_; }

    // Calls visit(chunk) for the bytes in [from, to) in order, in chunks of
    // at most `chunkSize` bytes, while visit returns true; `to` is at most
    // Size(). Fewer bytes come if the file was cut short meanwhile.
    template <class Visit>
    void ForEachChunk(std::size_t from, std::size_t to, std::size_t chunkSize, Visit&& visit) const
    {
        const std::unique_ptr<char[]> buffer(new char[chunkSize]);
        to = std::min(to, size_);
        while (from < to) {
            const std::size_t got = ReadAt(from, buffer.get(), std::min(chunkSize, to - from));
            if (got == 0 || !visit(std::string_view(buffer.get(), got)))
                return;
            from += got;
        }
    }

    // The whole file in memory; one that reports no size is read to its end,
    // but refused beyond `sizeless`'s bytes.
    FileBytes ReadAll(const SizelessLimit& sizeless = AnySizelessFile) const;

private:
    // Reads up to `size` bytes at `offset`; fewer only at the end of the file.
    std::size_t ReadAt(std::size_t offset, char* data, std::size_t size) const;
    FileBytes ReadToEnd(const SizelessLimit& limit) const;

    std::string name_;
    FileDescriptor fd_;
    std::size_t size_ = 0;
};

// Opens `fileName` for reading, whatever kind of file it is. Throws
// Exception naming the file and the reason when it cannot.
FileDescriptor OpenFileForReading(const std::string& fileName, FifoOpen fifo);

// Reads a whole regular file into memory. Anything else (a directory, FIFO,
// socket or device, also behind a symlink) is refused before a byte is read,
// so a file name can never make the caller hang or read forever.
// No more is read than the size the file had when it was opened, so a file
// that grows while it is read cannot make the read endless; one that reports
// no size is read up to `sizeless`'s bytes.
// Throws Exception naming the file and the reason; std::bad_alloc on lack of memory.
FileBytes ReadRegularFile(const std::string& fileName, const SizelessLimit& sizeless = AnySizelessFile);

// Reads a stream without a size (a pipe, a FIFO, standard input) to its end,
// up to `limit`'s bytes, for command-line filters; `name` names it in
// messages. The window never reads anything but regular files.
FileBytes ReadStream(int fd, const std::string& name, const SizelessLimit& limit = AnySizelessFile);
