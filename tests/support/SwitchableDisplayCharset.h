#pragma once

#include <string>

// Switches DecodeForDisplay, EncodeForDisplay and DisplayCharset to
// `charset`, or back to the locale's as the environment names it now for "",
// so that code which reads the display's character set can be tried under
// several in one process. Throws the framework's Exception when iconv does
// not know `charset`; the previous one then stays.
void SetDisplayCharset(const std::string& charset);
