#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Makes stock master files for tests and benchmarks: the same options always
// give the same bytes, on every machine. Lines are 61 bytes in the master
// columns (9 code, 38 name, 14 trailing data), names padded with spaces.
enum class MasterStyle {
    // Company names, warrants with serial numbers, some UTF-8 Hangul.
    Mixed,
    // One to four words from a small vocabulary: most names repeat exactly.
    Vocabulary,
    // Fund names sharing long prefixes, in CP949 Hangul and Latin, with LF
    // and CR LF line ends mixed.
    Funds,
};

struct MasterGeneratorOptions {
    std::uint64_t lines = 1000;
    MasterStyle style = MasterStyle::Mixed;
    std::uint64_t seed = 1;
    std::string_view lineEnd = "\r\n";
};

// Appends one line (with its line end) per call to `out`.
class MasterGenerator {
public:
    explicit MasterGenerator(const MasterGeneratorOptions& options) : options_(options), state_(options.seed) {}
    void AppendLine(std::string& out);

private:
    std::uint64_t Next();
    std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }
    std::string Name();
    std::string MixedName();
    std::string VocabularyName();
    std::string FundName();

    MasterGeneratorOptions options_;
    std::uint64_t state_;
};
