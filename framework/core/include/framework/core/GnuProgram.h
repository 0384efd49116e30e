#pragma once

#include "framework/core/GnuOptions.h"

#include <cstddef>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What every program here does with its command line, the GNU way, in one
// place: --help and --version on standard output, a usage error and its hint
// on standard error, diagnostics that start with the program's name, and
// output that could not be written reported. What the options and operands
// mean is the program's own.
struct GnuProgram {
    // As diagnostics start and the hint names it: "stockdump".
    const char* name;
    // The first line of --version, untranslated as GNU tools keep it:
    // "stockdump (stockpicker) 1.0.0". The licence line follows it.
    const char* versionLine;
    // The --help text, asked for only when shown, so a translation is looked up then.
    const char* (*help)();
    // Besides --help and --version.
    std::span<const GnuOption> options{};
    // Operands beyond this many are a usage error ("extra operand").
    std::size_t maxOperands = 0;
};

// The exit status of a usage error, in every program here.
constexpr int UsageStatus = 2;

// A command line read by ReadGnuCommandLine.
struct GnuCommandLine {
    // Set when the command line has been answered and the program ends with
    // it: 0 after --help or --version, 1 when that text could not be written,
    // UsageStatus after a usage error.
    std::optional<int> exitStatus{};
    // For a program that runs: the options and operands, as GnuOptions has them.
    std::vector<GivenOption> options{};
    std::vector<std::string> operands{};
};

// Reads `program`'s command line and answers what is not the program's own:
// --help and --version on `out`, a usage error (an unknown option, one
// operand too many) on `err`. Writes nothing when the program is to run.
GnuCommandLine ReadGnuCommandLine(const GnuProgram& program, int argc, const char* const* argv, std::FILE* out,
                                  std::FILE* err);

// `message` after the program's name, as one line on `err`: "stockdump: out of memory".
void PrintDiagnostic(std::string_view program, std::string_view message, std::FILE* err);

// A usage error that the program finds itself (a missing operand, a value it
// cannot take): `problem` and the hint to try --help, on `err`. Returns UsageStatus.
int ReportUsageError(std::string_view program, std::string_view problem, std::FILE* err);

// Output that could not be written, for the errno value `error`: "PROG:
// cannot write output: No space left on device" on `err`. Returns 1, the status to end with.
int ReportWriteError(std::string_view program, int error, std::FILE* err);
