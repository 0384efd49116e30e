#include "stockdata/LoadAdmission.h"

#include "framework/core/AvailableMemory.h"
#include "framework/core/Exception.h"
#include "framework/core/QuotedName.h"

#include <algorithm>

namespace {

constexpr std::uint64_t Megabyte = std::uint64_t{1} << 20;

// Room kept free for what the estimate does not see (the GUI's own growth,
// other processes starting meanwhile).
std::uint64_t Usable(std::uint64_t available) noexcept
{
    return available - available / 8;
}

}  // namespace

std::uint64_t LoadBytesNeeded(std::size_t lines, std::uint64_t heldBytes, std::uint64_t callerBytesPerLine) noexcept
{
    const std::uint64_t perLine = RecordBytesPerLine +
                                  std::max(ViewBuildBytesPerLine, ViewBytesPerLine + callerBytesPerLine) +
                                  SlackBytesPerLine;
    return LoadFixedBytes + heldBytes + static_cast<std::uint64_t>(lines) * perLine;
}

std::string WithThousands(std::uint64_t value)
{
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

void AdmitLoad(const std::string& fileName, std::size_t lines, std::uint64_t heldBytes, const LoadLimits& limits)
{
    const std::string lineCount = WithThousands(lines) + (lines == 1 ? " line" : " lines");
    if (lines > limits.maxLines)
        throw Exception("cannot load " + QuotedName(fileName) + ": " + lineCount +
                        " are more than the list can hold (" + WithThousands(limits.maxLines) + ")");
    const std::uint64_t needed = LoadBytesNeeded(lines, heldBytes, limits.callerBytesPerLine);
    const std::uint64_t available = limits.available ? limits.available() : AvailableMemory();
    if (needed > Usable(available))
        throw Exception("not enough memory to load " + QuotedName(fileName) + ": " + lineCount + " need " +
                        WithThousands((needed + Megabyte - 1) / Megabyte) + " MB, " +
                        WithThousands(available / Megabyte) + " MB available");
}
