#include "framework/core/TextCodec.h"

#include <mutex>
#include <utility>

namespace {

// Shared by every thread: a load's workers read names while the GUI thread
// draws them.
struct SharedCodec {
    std::mutex mutex;
    std::string warning;
    DisplayCodec codec = DisplayCodec::ForLocale(warning);
};

SharedCodec& TheCodec()
{
    static SharedCodec shared;
    return shared;
}

}  // namespace

std::string DecodeForDisplay(std::string_view bytes)
{
    SharedCodec& shared = TheCodec();
    const std::scoped_lock lock(shared.mutex);
    return shared.codec.Decode(bytes);
}

std::optional<std::string> EncodeForDisplay(std::string_view text)
{
    SharedCodec& shared = TheCodec();
    const std::scoped_lock lock(shared.mutex);
    return shared.codec.Encode(text);
}

std::string DisplayCharset()
{
    SharedCodec& shared = TheCodec();
    const std::scoped_lock lock(shared.mutex);
    return shared.codec.Charset();
}

std::string DisplayCharsetWarning()
{
    SharedCodec& shared = TheCodec();
    const std::scoped_lock lock(shared.mutex);
    return shared.warning;
}

void ReplaceDisplayCodec(DisplayCodec codec, std::string warning)
{
    SharedCodec& shared = TheCodec();
    const std::scoped_lock lock(shared.mutex);
    shared.codec = std::move(codec);
    shared.warning = std::move(warning);
}
