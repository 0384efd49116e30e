#pragma once

#include <cstdio>

// stockdump [--] FILE: reads FILE as the stock picker window does (same
// reader, same name-ordered view) and writes each view entry's code text then
// name text, then LF. FILE "-" is standard input, and a FIFO or pipe is read
// as a filter reads it. Returns the exit status: 0 done, 1 the input could
// not be read or the output not written (reason on `err`), 2 wrong usage.
int StockDumpMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err);
