#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// What loading a master file costs in memory, and the check a load makes
// before it commits to it. Under Linux overcommit an allocation that the
// machine cannot back still succeeds, and the process is killed later with
// no message; a load that is refused up front is reported like any other
// failure and leaves the program running.

// Bytes per line of a load: the 70-byte record; while the view is built,
// its two 12-byte sort entries, in the block that then holds the list
// nodes; after that the 24-byte list node and what the caller adds, such as
// list items; and slack for the allocator.
inline constexpr std::uint64_t RecordBytesPerLine = 70;
inline constexpr std::uint64_t ViewBuildBytesPerLine = 24;
inline constexpr std::uint64_t ViewBytesPerLine = 24;
inline constexpr std::uint64_t SlackBytesPerLine = 8;
// Read buffers, threads and what the process needs beyond the records. The
// window's peak, 1M and 10M lines: 16.4 MB beyond 126 bytes a line (bench).
inline constexpr std::uint64_t LoadFixedBytes = std::uint64_t{16} << 20;

struct LoadLimits {
    // More lines than this are refused; by default what the view can number
    // (32 bits, a store of 300 GB).
    std::size_t maxLines = UINT32_MAX;
    // Bytes per line that the caller adds after the load, such as list items.
    std::uint64_t callerBytesPerLine = 0;
    // How many bytes the process can still take; AvailableMemory by default.
    std::function<std::uint64_t()> available;
};

// The bytes a load of `lines` lines needs at its peak, `heldBytes` of the
// file being in memory meanwhile.
std::uint64_t LoadBytesNeeded(std::size_t lines, std::uint64_t heldBytes, std::uint64_t callerBytesPerLine) noexcept;

// Throws the framework's Exception, naming the file, the lines and the
// megabytes, when the load is more than `limits` allow: too many lines, or
// more memory than is available less a margin.
void AdmitLoad(const std::string& fileName, std::size_t lines, std::uint64_t heldBytes, const LoadLimits& limits);

// `value` with thousands separated by commas: 20,000,000.
std::string WithThousands(std::uint64_t value);
