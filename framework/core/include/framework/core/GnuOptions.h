#pragma once

#include <span>
#include <string>
#include <vector>

// One option a program takes besides --help and --version, which every
// program here takes: its long name without the dashes, and whether it takes
// a value (--seed 7 or --seed=7).
struct GnuOption {
    enum class Value { None, Required };
    const char* name;
    Value value = Value::None;
};

// An option as given on the command line, by its name in the table.
struct GivenOption {
    std::string name;
    std::string value;  // empty for an option without one
};

// A command line read by getopt_long as GNU tools read theirs: a unique
// abbreviation names its option (--vers), options count wherever they stand,
// `--` ends them and `-` is an operand. It only reads; answering, usage
// messages included, is GnuProgram's.
struct GnuOptions {
    enum class Asks { Run, Help, Version, UsageError };
    Asks asks = Asks::Run;
    // Why the command line is wrong, as `unrecognized option "-x"`; for UsageError only.
    std::string problem{};
    // The options of the table given, in order, for Run only; one given twice is there twice.
    std::vector<GivenOption> options{};
    // Every operand in order, for Run only; how many a tool takes is its own rule.
    std::vector<std::string> operands{};
};

// The first of --help, --version and a usage error decides, whatever follows
// it. `options` holds at most 13 and must not name help or version. Starts
// getopt afresh on each call (optind and opterr are left changed) and leaves
// argv in its order.
GnuOptions ParseGnuOptions(int argc, const char* const* argv, std::span<const GnuOption> options = {});
