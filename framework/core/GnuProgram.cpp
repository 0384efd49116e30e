#include "framework/core/GnuProgram.h"

#include "framework/core/QuotedName.h"
#include "framework/core/Translate.h"

#include <cerrno>

namespace {

// 0 when `text` and the flush behind it went through, else what ReportWriteError returns.
int Write(std::string_view program, const std::string& text, std::FILE* out, std::FILE* err)
{
    errno = 0;
    if (std::fputs(text.c_str(), out) >= 0 && std::fflush(out) == 0)
        return 0;
    return ReportWriteError(program, errno != 0 ? errno : EIO, err);
}

}  // namespace

GnuCommandLine ReadGnuCommandLine(const GnuProgram& program, int argc, const char* const* argv, std::FILE* out,
                                  std::FILE* err)
{
    GnuOptions parsed = ParseGnuOptions(argc, argv, program.options);
    switch (parsed.asks) {
    case GnuOptions::Asks::Help:
        return {.exitStatus = Write(program.name, program.help(), out, err)};
    case GnuOptions::Asks::Version: {
        // TRANSLATORS: the licence line of --version, after the program's name and version.
        const std::string licence = Tr("License: MIT.");
        return {.exitStatus = Write(program.name, std::string(program.versionLine) + "\n" + licence + "\n", out, err)};
    }
    case GnuOptions::Asks::UsageError:
        return {.exitStatus = ReportUsageError(program.name, parsed.problem, err)};
    case GnuOptions::Asks::Run:
        break;
    }
    if (parsed.operands.size() > program.maxOperands) {
        const std::string extra = QuotedName(parsed.operands[program.maxOperands]);
        // TRANSLATORS: a usage error, after the program's name. {0}: the first operand too many, in quotes.
        return {.exitStatus = ReportUsageError(program.name, Tr("extra operand {0}", extra), err)};
    }
    return {.options = std::move(parsed.options), .operands = std::move(parsed.operands)};
}

void PrintDiagnostic(std::string_view program, std::string_view message, std::FILE* err)
{
    // One buffer, so the line goes out in one write when `err` is unbuffered.
    std::string line;
    line.reserve(program.size() + message.size() + 3);
    line.append(program).append(": ").append(message) += '\n';
    std::fwrite(line.data(), 1, line.size(), err);
}

int ReportUsageError(std::string_view program, std::string_view problem, std::FILE* err)
{
    PrintDiagnostic(program, problem, err);
    std::string command = "'";
    command.append(program).append(" --help'");
    // TRANSLATORS: the line after a usage error. {0}: the command to type, such as 'stockdump --help'.
    const std::string hint = Tr("Try {0} for more information.", command);
    std::fprintf(err, "%s\n", hint.c_str());
    return UsageStatus;
}

int ReportWriteError(std::string_view program, int error, std::FILE* err)
{
    // TRANSLATORS: a program's output (its list, --help or --version) could not be written, after the
    // program's name. {0}: the system's reason, such as "No space left on device".
    PrintDiagnostic(program, Tr("cannot write output: {0}", ErrorText(error)), err);
    return 1;
}
