#pragma once

#include <string>
#include <vector>

// The command line of a tool here, which takes no option but --help and
// --version, read by getopt_long as GNU tools read theirs: a unique
// abbreviation names its option (--vers), options count wherever they stand,
// `--` ends them and `-` is an operand. It only reads; answering, usage
// messages included, is the caller's.
struct GnuOptions {
    enum class Asks { Run, Help, Version, UsageError };
    Asks asks = Asks::Run;
    // Why the command line is wrong, as `unrecognized option "-x"`; for UsageError only.
    std::string problem{};
    // Every operand in order, for Run only; how many a tool takes is its own rule.
    std::vector<std::string> operands{};
};

// The first option decides, whatever follows it: --help, --version or a usage
// error. Starts getopt afresh on each call (optind and opterr are left
// changed) and leaves argv in its order.
GnuOptions ParseGnuOptions(int argc, const char* const* argv);
