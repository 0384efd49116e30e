#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// How many more bytes this process can take before something stops it: the
// least of what its memory cgroup leaves (v1 or v2, at every level up the
// hierarchy, counting inactive file pages as free), the system's
// MemAvailable, and what RLIMIT_AS and RLIMIT_DATA leave. Overcommit means an
// allocation can succeed and the process still be killed later, so loads ask
// this before they commit. Sources that cannot be read are skipped; with
// none at all the answer is UINT64_MAX.
std::uint64_t AvailableMemory();

// What AvailableMemory reads, so that the computation can be given any
// system's files and limits.
struct MemorySources {
    // Soft limits in bytes; none when unlimited or unknown.
    std::optional<std::uint64_t> addressSpaceLimit = std::nullopt;  // RLIMIT_AS
    std::optional<std::uint64_t> dataLimit = std::nullopt;          // RLIMIT_DATA
    // Reads a file of /proc or of a cgroup by its full path; none when it
    // cannot, and the source is then skipped.
    std::function<std::optional<std::string>(const std::filesystem::path&)> readFile;
};

// AvailableMemory computed from `sources` alone.
std::uint64_t AvailableMemory(const MemorySources& sources);
