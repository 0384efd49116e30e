#include "support/SwitchableDisplayCharset.h"

#include "framework/core/TextCodec.h"

#include <utility>

void SetDisplayCharset(const std::string& charset)
{
    std::string warning;
    DisplayCodec codec = charset.empty() ? DisplayCodec::ForLocale(warning) : DisplayCodec(charset);
    ReplaceDisplayCodec(std::move(codec), std::move(warning));
}
