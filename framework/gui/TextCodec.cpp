#include "framework/gui/TextCodec.h"

#include "framework/core/Exception.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

std::string LocaleCharset()
{
    // A locale object of our own: setlocale would change the whole process's.
    const locale_t locale = ::newlocale(LC_CTYPE_MASK, "", locale_t{});
    if (locale == locale_t{})
        return "UTF-8";  // the environment names no locale we have: the C locale's rule
    const std::string codeset = ::nl_langinfo_l(CODESET, locale);
    ::freelocale(locale);
    if (codeset.empty() || codeset == "ANSI_X3.4-1968" || codeset == "ASCII")
        return "UTF-8";
    return codeset;
}

// One iconv descriptor, kept for the charset in use; GUI thread only.
class Decoder {
public:
    ~Decoder() { Close(); }

    void Open(const std::string& charset)
    {
        const std::string wanted = charset.empty() ? LocaleCharset() : charset;
        if (wanted == charset_ && cd_ != Invalid())
            return;
        iconv_t cd = ::iconv_open("UTF-8", wanted.c_str());
        if (cd == Invalid())
            throw Exception("unknown character set \"" + wanted + "\": " + std::strerror(errno));
        Close();
        cd_ = cd;
        charset_ = wanted;
    }

    const std::string& Charset()
    {
        if (cd_ == Invalid())
            Open("");
        return charset_;
    }

    std::string Decode(std::string_view bytes)
    {
        Charset();
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(bytes.size() * 3 + 8, '\0');
        char* in = const_cast<char*>(bytes.data());  // iconv's signature; it does not write there
        std::size_t inLeft = bytes.size();
        std::size_t written = 0;
        while (inLeft > 0) {
            char* outPtr = out.data() + written;
            std::size_t outLeft = out.size() - written;
            const std::size_t result = ::iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            written = out.size() - outLeft;
            if (result != static_cast<std::size_t>(-1))
                break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL (cut off at the end): mark it, skip a byte.
            if (out.size() - written < ReplacementCharacter.size())
                out.resize(out.size() * 2);
            ReplacementCharacter.copy(out.data() + written, ReplacementCharacter.size());
            written += ReplacementCharacter.size();
            ++in;
            --inLeft;
            ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(written);
        return out;
    }

private:
    static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }
    void Close() noexcept
    {
        if (cd_ != Invalid())
            ::iconv_close(cd_);
        cd_ = Invalid();
    }

    iconv_t cd_ = Invalid();
    std::string charset_;
};

Decoder& TheDecoder()
{
    static Decoder decoder;
    return decoder;
}

}  // namespace

std::string DecodeForDisplay(std::string_view bytes)
{
    return TheDecoder().Decode(bytes);
}

std::string DisplayCharset()
{
    return TheDecoder().Charset();
}

void SetDisplayCharset(const std::string& charset)
{
    TheDecoder().Open(charset);
}
