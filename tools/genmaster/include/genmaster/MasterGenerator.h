#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Makes stock master files for tests and benchmarks: the same options always
// give the same bytes, on every machine. Lines are 61 bytes in the master
// columns (9 code, 38 name, 14 trailing data), names padded with spaces,
// mostly ASCII with some UTF-8 Hangul, and repeated names among them.
struct MasterGeneratorOptions {
    std::uint64_t lines = 1000;
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

    MasterGeneratorOptions options_;
    std::uint64_t state_;
};
