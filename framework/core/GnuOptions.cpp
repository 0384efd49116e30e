#include "framework/core/GnuOptions.h"

#include "framework/core/QuotedName.h"
#include "framework/core/Translate.h"

#include <algorithm>
#include <getopt.h>

namespace {

constexpr option Options[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'v'},
    {},
};

}  // namespace

GnuOptions ParseGnuOptions(int argc, const char* const* argv)
{
    if (argc < 1)
        return {};  // no program name: getopt would read past argv
    optind = 0;     // glibc's full restart: an earlier parse may have stopped inside "-xyz"
    opterr = 0;     // the messages are the caller's
    GnuOptions parsed;
    for (;;) {
        // "-" returns operands in place (as 1): argv is never permuted,
        // despite the type getopt_long takes, POSIXLY_CORRECT cannot end the
        // options at the first operand, and each call reads argv[at].
        const int at = std::max(optind, 1);
        switch (getopt_long(argc, const_cast<char* const*>(argv), "-", Options, nullptr)) {
        case 1:
            parsed.operands.emplace_back(optarg);
            break;
        case 'h':
            return {.asks = GnuOptions::Asks::Help};
        case 'v':
            return {.asks = GnuOptions::Asks::Version};
        case -1:  // the end, or `--` before the rest
            parsed.operands.insert(parsed.operands.end(), argv + optind, argv + argc);
            return parsed;
        default: {
            // TRANSLATORS: a usage error of stockpicker or stockdump, after the program's name.
            // {0}: the option as given, in quotes, such as "--colour".
            std::string problem = Tr("unrecognized option {0}", QuotedName(argv[at]));
            return {.asks = GnuOptions::Asks::UsageError, .problem = std::move(problem)};
        }
        }
    }
}
