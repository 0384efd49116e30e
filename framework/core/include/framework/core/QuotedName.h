#pragma once

#include <string>
#include <string_view>

// A file name as messages show it: in double quotes when it is plain
// printable UTF-8, as today; otherwise in the shell's $'...' form, with
// control bytes, quotes, backslashes and invalid UTF-8 escaped, so that no
// file name can drive the terminal a message is printed on.
std::string QuotedName(std::string_view name);
