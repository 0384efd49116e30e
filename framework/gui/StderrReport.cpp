#include "StderrReport.h"

#include "framework/core/Translate.h"

#include <cstdio>
#include <new>

const char* MessageText(const std::exception& E) noexcept
{
    if (dynamic_cast<const std::bad_alloc*>(&E) != nullptr)
        // TRANSLATORS: the error box or standard error when memory ran out.
        return Translate("Out of memory");
    return E.what();
}

void WriteToStderr(const std::exception_ptr& error) noexcept
{
    // TRANSLATORS: an error of no known kind, after "stockpicker: ".
    const char* text = Translate("unknown error");
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        text = MessageText(e);
    } catch (...) {
    }
    std::fputs("stockpicker: ", stderr);
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
}
