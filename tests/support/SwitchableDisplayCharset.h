#pragma once

#include <string>

// For a test binary that links SwitchableDisplayCharset.cpp: it stands in for
// the product's process-wide display codec (framework/core/DisplayCharset.cpp),
// so that code which reads the display's character set can be tried under
// several in one process.

// Switches DecodeForDisplay, EncodeForDisplay and DisplayCharset to
// `charset`, or back to the locale's as the environment names it now for "".
// Throws the framework's Exception when iconv does not know `charset`; the
// previous one then stays.
void SetDisplayCharset(const std::string& charset);
