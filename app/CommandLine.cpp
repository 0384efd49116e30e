#include "app/CommandLine.h"

#include "framework/core/GnuOptions.h"
#include "framework/core/QuotedName.h"
#include "framework/core/Translate.h"

#include <cerrno>
#include <string>

namespace {

const char* HelpText()
{
    return Translate(
        // TRANSLATORS: stockpicker --help. Keep the command, the option names, the file names and stockpicker(1)
        // as they are, and the lines within 80 columns.
        "Usage: stockpicker [OPTION]\n"
        "Show the stocks of the stock master file \"fmast.dat\" in the current\n"
        "directory, ordered by name, in a drop-down list; the button \"omast.dat\"\n"
        "loads \"omast.dat\" from the same directory in their place, and the button\n"
        "\"fmast.dat\" loads \"fmast.dat\" again.\n"
        "\n"
        "      --help     display this help and exit\n"
        "      --version  output version information and exit\n"
        "\n"
        "Names are shown in the character set of the locale (LC_CTYPE).\n"
        "\n"
        "Exit status: 0 when the window is closed, 1 if no window can be shown or\n"
        "the start fails, 2 on wrong usage. See stockpicker(1) for the file format.\n");
}

// The name line stays as GNU tools keep it, untranslated.
constexpr const char* VersionName = "stockpicker " STOCKPICKER_VERSION "\n";

int Print(const std::string& text, std::FILE* out, std::FILE* err)
{
    if (std::fputs(text.c_str(), out) >= 0 && std::fflush(out) == 0)
        return 0;
    // TRANSLATORS: --help or --version could not be written, after the program's name. {0}: the system's reason.
    std::fprintf(err, "stockpicker: %s\n", Tr("cannot write output: {0}", ErrorText(errno)).c_str());
    return 1;
}

}  // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
{
    const auto usageError = [err](const std::string& problem) {
        // TRANSLATORS: the line after a usage error. {0}: the command to type, such as 'stockpicker --help'.
        const std::string hint = Tr("Try {0} for more information.", "'stockpicker --help'");
        std::fprintf(err, "stockpicker: %s\n%s\n", problem.c_str(), hint.c_str());
        return 2;
    };
    const GnuOptions commandLine = ParseGnuOptions(argc, argv);
    if (commandLine.asks == GnuOptions::Asks::Help)
        return Print(HelpText(), out, err);
    if (commandLine.asks == GnuOptions::Asks::Version)
        // TRANSLATORS: the licence line of --version, after the program's name and version.
        return Print(VersionName + Tr("License: MIT.") + "\n", out, err);
    if (commandLine.asks == GnuOptions::Asks::UsageError)
        return usageError(commandLine.problem);
    if (!commandLine.operands.empty())
        // TRANSLATORS: a usage error, after the program's name. {0}: the operand given, in quotes.
        return usageError(Tr("extra operand {0}", QuotedName(commandLine.operands.front())));
    return std::nullopt;
}
