#pragma once

#include <string>
#include <string_view>

// A file name as messages show it: in double quotes when it is plain
// printable UTF-8, as today; otherwise in the shell's $'...' form, with
// control bytes, quotes, backslashes and invalid UTF-8 escaped, so that no
// file name can drive the terminal a message is printed on.
std::string QuotedName(std::string_view name);

// A folder as messages show it: bare when it is plain printable UTF-8 (a
// space is fine there, since it ends the message's clause), otherwise in the
// $'...' form, as QuotedName escapes it.
std::string ShownFolder(std::string_view folder);

// A file name as messages show it, with the folder a relative name was
// resolved in, so a report says where the program looked:
// "omast.dat" in /home/user/data. An absolute name shows alone, as does a
// relative one when the current folder cannot be known (it was removed).
std::string QuotedFileName(std::string_view name);
