#include "framework/core/GnuOptions.h"

#include "framework/core/QuotedName.h"
#include "framework/core/Translate.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>
#include <getopt.h>
#include <string_view>

namespace {

// getopt_long's values for the long options: past every byte, ':' and '?'.
constexpr int HelpValue = 0x100;
constexpr int VersionValue = 0x101;
constexpr int FirstTableValue = 0x102;
constexpr std::size_t MaxTableOptions = 13;

// Whether `given` ("--s" or "--s=x") abbreviates more than one option and
// names none exactly: getopt_long answers both that and an unknown name with '?'.
bool IsAmbiguous(std::string_view given, std::span<const option> options)
{
    if (!given.starts_with("--"))
        return false;
    given.remove_prefix(2);
    given = given.substr(0, given.find('='));
    int matches = 0;
    for (const option& known : options) {
        if (known.name == nullptr)
            break;
        const std::string_view name = known.name;
        if (name == given)
            return false;
        matches += name.starts_with(given) ? 1 : 0;
    }
    return matches > 1;
}

}  // namespace

GnuOptions ParseGnuOptions(int argc, const char* const* argv, std::span<const GnuOption> table)
{
    if (argc < 1)
        return {};  // no program name: getopt would read past argv
    // On the stack: a command line without options or operands allocates
    // nothing, so that the window's start is the first to (tests/app/MainTest.cpp).
    std::array<option, MaxTableOptions + 3> options{};
    assert(table.size() <= MaxTableOptions && "a table of more options than MaxTableOptions");
    options[0] = {"help", no_argument, nullptr, HelpValue};
    options[1] = {"version", no_argument, nullptr, VersionValue};
    for (std::size_t i = 0; i < std::min(table.size(), MaxTableOptions); ++i)
        options[i + 2] = {table[i].name, table[i].value == GnuOption::Value::Required ? required_argument : no_argument,
                          nullptr, FirstTableValue + static_cast<int>(i)};
    optind = 0;  // glibc's full restart: an earlier parse may have stopped inside "-xyz"
    opterr = 0;  // the messages are the caller's
    GnuOptions parsed;
    const auto usageError = [](std::string problem) {
        return GnuOptions{.asks = GnuOptions::Asks::UsageError, .problem = std::move(problem)};
    };
    for (;;) {
        // "-" returns operands in place (as 1): argv is never permuted,
        // despite the type getopt_long takes, POSIXLY_CORRECT cannot end the
        // options at the first operand, and each call reads argv[at]. ':'
        // tells a missing value from an unknown option.
        const int at = std::max(optind, 1);
        const int got = getopt_long(argc, const_cast<char* const*>(argv), "-:", options.data(), nullptr);
        switch (got) {
        case 1:
            parsed.operands.emplace_back(optarg);
            break;
        case HelpValue:
            return {.asks = GnuOptions::Asks::Help};
        case VersionValue:
            return {.asks = GnuOptions::Asks::Version};
        case -1:  // the end, or `--` before the rest
            parsed.operands.insert(parsed.operands.end(), argv + optind, argv + argc);
            return parsed;
        case ':':
            // TRANSLATORS: a usage error, after the program's name. {0}: the option as given, in quotes, such as
            // "--seed".
            return usageError(Tr("option {0} requires a value", QuotedName(argv[at])));
        case '?':
            if (IsAmbiguous(argv[at], options))
                // TRANSLATORS: a usage error, after the program's name: the abbreviation given starts the names
                // of several options. {0}: the option as given, in quotes, such as "--s".
                return usageError(Tr("ambiguous option {0}", QuotedName(argv[at])));
            // TRANSLATORS: a usage error, after the program's name. {0}: the option as given, in quotes, such as
            // "--colour".
            return usageError(Tr("unrecognized option {0}", QuotedName(argv[at])));
        default: {
            const auto index = static_cast<std::size_t>(got - FirstTableValue);
            assert(got >= FirstTableValue && index < table.size() && "getopt_long returns only the values given");
            parsed.options.push_back({table[index].name, optarg != nullptr ? optarg : ""});
            break;
        }
        }
    }
}
