#pragma once

#include <cstdio>
#include <optional>

struct GnuProgram;

// The stock picker's command line, answered before the application starts so
// that --help and --version need no display. The window takes no options and
// no operands; Qt's own options (-platform, -display) are not taken either,
// its environment variables are. As in any GNU tool, `--` ends the options
// and a unique abbreviation (--vers) names one.
//
// Returns the exit status when the command line has been answered here: 0
// after --help or --version (1 if that text could not be written), 2 after a
// usage error, whose message goes to `err`. Returns nothing when the window
// should start.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

// The program as its diagnostics name it, for main's own.
extern const GnuProgram Stockpicker;
