#pragma once

#include <string>

// Reads a whole regular file into memory. Anything else (a directory, FIFO,
// socket or device, also behind a symlink) is refused before a byte is read,
// so a master file name can never make the caller hang or read forever.
// Throws Exception naming the file and the reason; std::bad_alloc on lack of memory.
std::string ReadRegularFile(const std::string& fileName);
