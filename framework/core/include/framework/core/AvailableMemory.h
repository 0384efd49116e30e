#pragma once

#include <cstdint>

// How many more bytes this process can take before something stops it: the
// least of what its memory cgroup leaves (v1 or v2, at every level up the
// hierarchy, counting inactive file pages as free), the system's
// MemAvailable, and what RLIMIT_AS and RLIMIT_DATA leave. Overcommit means an
// allocation can succeed and the process still be killed later, so loads ask
// this before they commit. Sources that cannot be read are skipped; with
// none at all the answer is UINT64_MAX.
std::uint64_t AvailableMemory();
