#pragma once

#include <cstdio>
#include <memory>
#include <string>

// A stdio stream a test hands to code that writes, and reads back after.
struct CloseFile {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, CloseFile>;

// All that was written to `file`, from its start.
inline std::string ContentsOf(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    char buffer[256];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, file))
        text.append(buffer, got);
    return text;
}
