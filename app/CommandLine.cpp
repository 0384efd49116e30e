#include "app/CommandLine.h"

#include "framework/core/QuotedName.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

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
    // Options count wherever they stand, as GNU getopt permutes them; an
    // operand is only reported once every option has been seen.
    const char* firstOperand = nullptr;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnd && arg == "--")
            optionsEnd = true;
        else if (!optionsEnd && arg == "--help")
            return Print(HelpText, out, err);
        else if (!optionsEnd && arg == "--version")
            return Print(VersionText, out, err);
        else if (!optionsEnd && arg.size() > 1 && arg[0] == '-')
            return usageError("unrecognized option " + QuotedName(arg));
        else if (firstOperand == nullptr)
            firstOperand = argv[i];
    }
    if (firstOperand != nullptr)
        return usageError("extra operand " + QuotedName(firstOperand));
    return std::nullopt;
}
