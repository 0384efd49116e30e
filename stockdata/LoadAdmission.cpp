#include "stockdata/LoadAdmission.h"

#include "framework/core/AvailableMemory.h"
#include "framework/core/Exception.h"
#include "framework/core/QuotedName.h"
#include "framework/core/Translate.h"

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
    const std::string shown = QuotedName(fileName);
    const std::string lineCount = WithThousands(lines);
    if (lines > limits.maxLines)
        // TRANSLATORS: a master file too long to list. {0}: the file's name in quotes; {1}: its number of lines;
        // {2}: the most lines the list holds. Both numbers have commas between thousands.
        throw Exception(TrPlural("cannot load {0}: {1} line is more than the list can hold ({2})",
                                 "cannot load {0}: {1} lines are more than the list can hold ({2})", lines, shown,
                                 lineCount, WithThousands(limits.maxLines)));
    const std::uint64_t needed = LoadBytesNeeded(lines, heldBytes, limits.callerBytesPerLine);
    const std::uint64_t available = limits.available ? limits.available() : AvailableMemory();
    if (needed > Usable(available))
        // TRANSLATORS: a load refused before it starts. {0}: the file's name in quotes; {1}: its number of lines;
        // {2}: the megabytes the load needs; {3}: the megabytes this process can get. Numbers have commas.
        throw Exception(TrPlural("not enough memory to load {0}: {1} line needs {2} MB, {3} MB available",
                                 "not enough memory to load {0}: {1} lines need {2} MB, {3} MB available", lines, shown,
                                 lineCount, WithThousands((needed + Megabyte - 1) / Megabyte),
                                 WithThousands(available / Megabyte)));
}
