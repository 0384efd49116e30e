#include "framework/core/AvailableMemory.h"

#include "framework/core/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint64_t Unknown = std::numeric_limits<std::uint64_t>::max();
// cgroup v1 reports "no limit" as a huge page-aligned number.
constexpr std::uint64_t NoLimit = std::uint64_t{1} << 62;

// The whole of a small system file. Plain reads, not iostreams: a stream
// would turn lack of memory into a short text instead of std::bad_alloc.
std::optional<std::string> ReadText(const std::filesystem::path& path)
{
    const std::optional<FileDescriptor> fd = FileDescriptor::OpenForReading(path.c_str(), FifoOpen::WaitingForWriter);
    if (!fd)
        return std::nullopt;
    std::string text;
    char chunk[4096];
    ssize_t got = 0;
    while ((got = ::read(fd->Get(), chunk, sizeof chunk)) > 0 || (got < 0 && errno == EINTR))
        text.append(chunk, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    if (got < 0)
        return std::nullopt;
    return text;
}

// Calls visit(piece) for each piece of `text` that `separator` ends, and for
// a last one without it. For lines, not the master files' line rule: the
// kernel ends these lines with LF alone and leaves a CR in a mount point or
// cgroup name as it is.
template <class Visit>
void ForEachSeparated(std::string_view text, char separator, Visit&& visit)
{
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(separator), text.size());
        visit(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

// The space-separated words of `line`.
std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    ForEachSeparated(line, ' ', [&words](std::string_view word) {
        if (!word.empty())
            words.push_back(word);
    });
    return words;
}

std::optional<std::uint64_t> ParseNumber(std::string_view text) noexcept
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    return value;
}

// The number after "key" on its line of a "key value" text, times `unit`.
std::optional<std::uint64_t> Field(std::string_view text, std::string_view key, std::uint64_t unit = 1) noexcept
{
    std::optional<std::uint64_t> found;
    ForEachSeparated(text, '\n', [&](std::string_view line) {
        if (found || !line.starts_with(key) || line.size() == key.size())
            return;
        std::string_view rest = line.substr(key.size());
        if (rest.front() != ' ' && rest.front() != ':' && rest.front() != '\t')
            return;
        if (rest.front() == ':')
            rest.remove_prefix(1);
        if (const auto value = ParseNumber(rest))
            found = *value * unit;
    });
    return found;
}

// Whether the comma-separated `list` holds `word`.
bool HasWord(std::string_view list, std::string_view word) noexcept
{
    bool found = false;
    ForEachSeparated(list, ',', [&](std::string_view item) { found = found || item == word; });
    return found;
}

struct CgroupMount {
    std::filesystem::path mountPoint;
    std::string root;  // the hierarchy path mounted there
    bool unified;
};

// The memory cgroup hierarchies of a /proc/self/mountinfo text.
std::vector<CgroupMount> MemoryCgroupMounts(std::string_view mountinfo)
{
    std::vector<CgroupMount> mounts;
    // ID PARENT DEVICE ROOT MOUNT-POINT OPTIONS [OPTIONAL...] - TYPE SOURCE SUPER-OPTIONS
    ForEachSeparated(mountinfo, '\n', [&mounts](std::string_view line) {
        const std::vector<std::string_view> words = Words(line);
        const auto dash = std::find(words.begin(), words.end(), "-");
        if (words.size() < 5 || words.end() - dash < 4)
            return;
        const std::string_view type = dash[1];
        if (type == "cgroup2")
            mounts.push_back({std::string(words[4]), std::string(words[3]), true});
        else if (type == "cgroup" && HasWord(dash[3], "memory"))
            mounts.push_back({std::string(words[4]), std::string(words[3]), false});
    });
    return mounts;
}

// This process's path in the memory hierarchy of a mount, from a /proc/self/cgroup text.
std::optional<std::string> CgroupPath(std::string_view cgroup, const CgroupMount& mount)
{
    // ID:CONTROLLERS:PATH, with no controllers for the unified hierarchy.
    std::optional<std::string> path;
    ForEachSeparated(cgroup, '\n', [&](std::string_view line) {
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (first == std::string_view::npos || second == std::string_view::npos)
            return;
        const std::string_view controllers = line.substr(first + 1, second - first - 1);
        const bool matches = mount.unified ? controllers.empty() : HasWord(controllers, "memory");
        if (matches && !path)
            path = std::string(line.substr(second + 1));
    });
    return path;
}

// What the cgroup directory `dir` and its ancestors up to `top` leave.
std::uint64_t CgroupLeaves(std::filesystem::path dir, const std::filesystem::path& top, bool unified,
                           const MemorySources& sources)
{
    const char* limitFile = unified ? "memory.max" : "memory.limit_in_bytes";
    const char* usageFile = unified ? "memory.current" : "memory.usage_in_bytes";
    const char* inactiveFile = unified ? "inactive_file" : "total_inactive_file";
    std::uint64_t least = Unknown;
    for (;;) {
        const auto limit = sources.readFile(dir / limitFile);
        const auto usage = sources.readFile(dir / usageFile);
        if (limit && usage) {
            const auto limitBytes = ParseNumber(*limit);  // "max" gives none
            const auto usageBytes = ParseNumber(*usage);
            if (limitBytes && usageBytes && *limitBytes < NoLimit) {
                // File pages not recently used are given up before anything is killed.
                const auto stat = sources.readFile(dir / "memory.stat");
                const std::uint64_t reclaimable = stat ? Field(*stat, inactiveFile).value_or(0) : 0;
                const std::uint64_t used = *usageBytes - std::min(*usageBytes, reclaimable);
                least = std::min(least, *limitBytes - std::min(*limitBytes, used));
            }
        }
        if (dir == top || !dir.has_relative_path() || dir.parent_path() == dir)
            return least;
        dir = dir.parent_path();
    }
}

std::uint64_t CgroupAvailable(const MemorySources& sources)
{
    const auto mountinfo = sources.readFile("/proc/self/mountinfo");
    const auto cgroup = sources.readFile("/proc/self/cgroup");
    if (!mountinfo || !cgroup)
        return Unknown;
    std::uint64_t least = Unknown;
    for (const CgroupMount& mount : MemoryCgroupMounts(*mountinfo)) {
        const auto path = CgroupPath(*cgroup, mount);
        if (!path)
            continue;
        std::string relative = *path;
        if (mount.root != "/" && relative.rfind(mount.root, 0) == 0)
            relative.erase(0, mount.root.size());
        const std::filesystem::path dir = mount.mountPoint / std::filesystem::path(relative).relative_path();
        least = std::min(least, CgroupLeaves(dir, mount.mountPoint, mount.unified, sources));
    }
    return least;
}

std::uint64_t RlimitLeft(const std::optional<std::uint64_t>& limit, const MemorySources& sources,
                         std::string_view statusKey)
{
    if (!limit)
        return Unknown;
    const auto status = sources.readFile("/proc/self/status");
    const std::uint64_t used = status ? Field(*status, statusKey, 1024).value_or(0) : 0;
    return *limit - std::min(*limit, used);
}

std::optional<std::uint64_t> SoftLimit(int resource) noexcept
{
    rlimit limit{};
    if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return std::nullopt;
    return limit.rlim_cur;
}

}  // namespace

std::uint64_t AvailableMemory(const MemorySources& sources)
{
    const auto meminfo = sources.readFile("/proc/meminfo");
    const std::uint64_t system = meminfo ? Field(*meminfo, "MemAvailable", 1024).value_or(Unknown) : Unknown;
    return std::min({system, CgroupAvailable(sources), RlimitLeft(sources.addressSpaceLimit, sources, "VmSize"),
                     RlimitLeft(sources.dataLimit, sources, "VmData")});
}

std::uint64_t AvailableMemory()
{
    return AvailableMemory({
        .addressSpaceLimit = SoftLimit(RLIMIT_AS),
        .dataLimit = SoftLimit(RLIMIT_DATA),
        .readFile = ReadText,
    });
}
