#include "app/CommandLine.h"

#include "framework/core/GnuProgram.h"
#include "framework/core/Translate.h"

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

}  // namespace

const GnuProgram Stockpicker{.name = "stockpicker",
                             .versionLine = "stockpicker " STOCKPICKER_VERSION,
                             .help = HelpText};

std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
{
    // The window takes no operand; the options are GnuProgram's alone.
    return ReadGnuCommandLine(Stockpicker, argc, argv, out, err).exitStatus;
}
