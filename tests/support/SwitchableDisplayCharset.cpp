#include "support/SwitchableDisplayCharset.h"

#include "framework/core/TextCodec.h"

#include <mutex>
#include <optional>

// Defines every function of framework/core/DisplayCharset.cpp, so that the
// linker takes these and never that file from the library.
namespace {

struct SwitchableCodec {
    std::mutex mutex;
    std::string warning;
    DisplayCodec codec = DisplayCodec::ForLocale(warning);
};

SwitchableCodec& TheCodec()
{
    static SwitchableCodec shared;
    return shared;
}

}  // namespace

void SetDisplayCharset(const std::string& charset)
{
    SwitchableCodec& shared = TheCodec();
    std::string warning;
    // Made before the lock and the old codec goes, so that an unknown set leaves it.
    DisplayCodec codec = charset.empty() ? DisplayCodec::ForLocale(warning) : DisplayCodec(charset);
    const std::scoped_lock lock(shared.mutex);
    shared.codec = std::move(codec);
    shared.warning = std::move(warning);
}

std::string DecodeForDisplay(std::string_view bytes)
{
    SwitchableCodec& shared = TheCodec();
    const std::scoped_lock lock(shared.mutex);
    return shared.codec.Decode(bytes);
}

std::optional<std::string> EncodeForDisplay(std::string_view text)
{
    SwitchableCodec& shared = TheCodec();
    const std::scoped_lock lock(shared.mutex);
    return shared.codec.Encode(text);
}

std::string DisplayCharset()
{
    SwitchableCodec& shared = TheCodec();
    const std::scoped_lock lock(shared.mutex);
    return shared.codec.Charset();
}

std::string DisplayCharsetWarning()
{
    SwitchableCodec& shared = TheCodec();
    const std::scoped_lock lock(shared.mutex);
    return shared.warning;
}
