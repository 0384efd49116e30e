#include "framework/core/GnuProgram.h"
#include "framework/core/QuotedName.h"
#include "genmaster/MasterGenerator.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// A developers' tool: its own texts stay English.
namespace {

const char* HelpText()
{
    return "Usage: genmaster [OPTION]... LINES\n"
           "Write a stock master file of LINES lines to standard output, the same bytes\n"
           "for the same options on every machine, for tests and benchmarks.\n"
           "\n"
           "      --seed=N     start the generator at N instead of 1\n"
           "      --lf         end lines with LF instead of CR LF\n"
           "      --style=STYLE  mixed (the default): company names and warrants with\n"
           "                     some UTF-8 Hangul; vocabulary: one to four words from a\n"
           "                     small vocabulary; funds: fund names sharing long\n"
           "                     prefixes, in CP949, with LF and CR LF mixed\n"
           "      --help       display this help and exit\n"
           "      --version    output version information and exit\n"
           "\n"
           "Exit status: 0 if OK, 1 if the output cannot be written, 2 on wrong usage.\n";
}

constexpr GnuOption Options[] = {
    {"seed", GnuOption::Value::Required},
    {"lf"},
    {"style", GnuOption::Value::Required},
};

const GnuProgram GenMaster{.name = "genmaster",
                           .versionLine = "genmaster (stockpicker) " STOCKPICKER_VERSION,
                           .help = HelpText,
                           .options = Options,
                           .maxOperands = 1};

// A whole decimal number, without sign or space.
bool ParseCount(const std::string& text, std::uint64_t& value)
{
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

bool ParseStyle(std::string_view name, MasterStyle& style)
{
    if (name == "mixed")
        style = MasterStyle::Mixed;
    else if (name == "vocabulary")
        style = MasterStyle::Vocabulary;
    else if (name == "funds")
        style = MasterStyle::Funds;
    else
        return false;
    return true;
}

int Write(const std::string& bytes)
{
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size())
        return 0;
    return ReportWriteError(GenMaster.name, errno != 0 ? errno : EIO, stderr);
}

}  // namespace

// Writes a deterministic stock master file to standard output.
int main(int argc, char** argv)
{
    const GnuCommandLine commandLine = ReadGnuCommandLine(GenMaster, argc, argv, stdout, stderr);
    if (commandLine.exitStatus)
        return *commandLine.exitStatus;
    const auto usageError = [](const std::string& problem) {
        return ReportUsageError(GenMaster.name, problem, stderr);
    };
    MasterGeneratorOptions options;
    for (const GivenOption& option : commandLine.options) {
        if (option.name == "lf")
            options.lineEnd = "\n";
        else if (option.name == "seed" && !ParseCount(option.value, options.seed))
            return usageError("invalid seed " + QuotedName(option.value) + ": not a whole number");
        else if (option.name == "style" && !ParseStyle(option.value, options.style))
            return usageError("unknown style " + QuotedName(option.value) + ": mixed, vocabulary or funds");
    }
    if (commandLine.operands.empty())
        return usageError("missing LINES operand");
    if (!ParseCount(commandLine.operands[0], options.lines))
        return usageError("invalid number of lines " + QuotedName(commandLine.operands[0]));

    MasterGenerator generator(options);
    std::string buffer;
    for (std::uint64_t line = 0; line < options.lines; ++line) {
        generator.AppendLine(buffer);
        if (buffer.size() >= (1 << 20)) {
            if (const int status = Write(buffer); status != 0)
                return status;
            buffer.clear();
        }
    }
    if (const int status = Write(buffer); status != 0)
        return status;
    if (std::fflush(stdout) != 0)
        return ReportWriteError(GenMaster.name, errno, stderr);
    return 0;
}
