#include "genmaster/MasterGenerator.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: genmaster LINES [--seed N] [--lf] [--style mixed|vocabulary|funds]\n");
    return 2;
}

bool ParseCount(const char* text, std::uint64_t& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && text[0] != '-';
}

bool ParseStyle(const char* text, MasterStyle& style)
{
    const std::string_view name = text;
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

}  // namespace

// Writes a deterministic stock master file to standard output.
int main(int argc, char** argv)
{
    MasterGeneratorOptions options;
    if (argc < 2 || !ParseCount(argv[1], options.lines))
        return Usage();
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lf") == 0)
            options.lineEnd = "\n";
        else if (std::strcmp(argv[i], "--style") == 0 && i + 1 < argc && ParseStyle(argv[i + 1], options.style))
            ++i;
        else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc && ParseCount(argv[i + 1], options.seed))
            ++i;
        else
            return Usage();
    }

    MasterGenerator generator(options);
    std::string buffer;
    for (std::uint64_t line = 0; line < options.lines; ++line) {
        generator.AppendLine(buffer);
        if (buffer.size() >= (1 << 20) || line + 1 == options.lines) {
            if (std::fwrite(buffer.data(), 1, buffer.size(), stdout) != buffer.size()) {
                std::perror("genmaster: cannot write output");
                return 1;
            }
            buffer.clear();
        }
    }
    if (std::fflush(stdout) != 0) {
        std::perror("genmaster: cannot write output");
        return 1;
    }
    return 0;
}
