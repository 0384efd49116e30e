#include "app/CommandLine.h"

#include "framework/core/GnuOptions.h"
#include "framework/core/QuotedName.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace {

constexpr const char* HelpText =
    "Usage: stockpicker [OPTION]\n"
    "Show the stocks of the stock master file \"fmast.dat\" in the current\n"
    "directory, ordered by name, in a drop-down list; the button \"omast.dat\"\n"
    "loads \"omast.dat\" from the same directory in their place.\n"
    "\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "Names are shown in the character set of the locale (LC_CTYPE).\n"
    "\n"
    "Exit status: 0 when the window is closed, 1 if no window can be shown or\n"
    "the start fails, 2 on wrong usage. See stockpicker(1) for the file format.\n";

constexpr const char* VersionText = "stockpicker " STOCKPICKER_VERSION "\nLicense: MIT.\n";

int Print(const char* text, std::FILE* out, std::FILE* err)
{
    if (std::fputs(text, out) >= 0 && std::fflush(out) == 0)
        return 0;
    std::fprintf(err, "stockpicker: cannot write output: %s\n", std::strerror(errno));
    return 1;
}

}  // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
{
    const auto usageError = [err](const std::string& problem) {
        std::fprintf(err, "stockpicker: %s\nTry 'stockpicker --help' for more information.\n", problem.c_str());
        return 2;
    };
    const GnuOptions commandLine = ParseGnuOptions(argc, argv);
    if (commandLine.asks == GnuOptions::Asks::Help)
        return Print(HelpText, out, err);
    if (commandLine.asks == GnuOptions::Asks::Version)
        return Print(VersionText, out, err);
    if (commandLine.asks == GnuOptions::Asks::UsageError)
        return usageError(commandLine.problem);
    if (!commandLine.operands.empty())
        return usageError("extra operand " + QuotedName(commandLine.operands.front()));
    return std::nullopt;
}
