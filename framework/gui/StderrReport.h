#pragma once

#include <exception>

// The last resort of every report, for when no error box can be shown: it
// needs no memory and no display.

// The text a user is shown for `E`, without allocating: "Out of memory" for
// std::bad_alloc, else E.what().
const char* MessageText(const std::exception& E) noexcept;

// Writes "stockpicker: " and the text of `error` as one line to stderr;
// "unknown error" when it is no std::exception.
void WriteToStderr(const std::exception_ptr& error) noexcept;
