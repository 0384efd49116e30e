#include "framework/core/TextCodec.h"

#include "framework/core/Exception.h"
#include "framework/core/Utf8.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// Upper case without '-' and '_', so that "utf8", "UTF-8" and "euc_kr"
// compare as iconv's aliases do.
std::string NormalizedName(std::string_view charset)
{
    std::string name;
    for (const char c : charset)
        if (c != '-' && c != '_')
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

// EUC-KR files are written by Korean Windows in CP949, its superset: glibc's
// EUC-KR lacks the 8,822 syllables CP949 adds (똠, 뷁, 햏).
std::string CharsetForDecoding(const std::string& charset)
{
    const std::string name = NormalizedName(charset);
    if (name == "EUCKR" || name == "CSEUCKR")
        return "CP949";
    if (name == "UTF8")
        return "UTF-8";
    return charset;
}

std::string LocaleCharset()
{
    // A locale object of our own: setlocale would change the whole process's.
    const locale_t locale = ::newlocale(LC_CTYPE_MASK, "", locale_t{});
    if (locale == locale_t{})
        return "UTF-8";  // the environment names no locale we have: the C locale's rule
    std::string codeset = ::nl_langinfo_l(CODESET, locale);
    ::freelocale(locale);
    if (codeset.empty() || codeset == "ANSI_X3.4-1968" || codeset == "ASCII")
        return "UTF-8";
    return codeset;
}

std::string DecodeUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const Utf8Sequence sequence = NextUtf8Sequence(bytes);
        if (sequence.wellFormed)
            out.append(bytes.substr(0, sequence.length));
        else
            out.append(ReplacementCharacter);
        bytes.remove_prefix(sequence.length);
    }
    return out;
}

// One iconv descriptor, kept for the charset in use; GUI thread only. UTF-8
// needs none: it is checked here, one mark per maximal ill-formed subpart as
// Unicode recommends (Qt 6.4's fromUtf8 marks some of them byte by byte).
class Decoder {
public:
    ~Decoder() { Close(); }

    void Open(const std::string& charset)
    {
        if (charset.empty()) {
            OpenLocaleCharset();
            return;
        }
        const std::string wanted = CharsetForDecoding(charset);
        if (opened_ && wanted == charset_)
            return;
        iconv_t cd = Invalid();
        if (wanted != "UTF-8") {
            cd = ::iconv_open("UTF-8", wanted.c_str());
            if (cd == Invalid())
                throw Exception("unknown character set \"" + charset + "\": " + std::strerror(errno));
        }
        Close();
        cd_ = cd;
        charset_ = wanted;
        opened_ = true;
    }

    const std::string& Charset()
    {
        if (!opened_)
            OpenLocaleCharset();
        return charset_;
    }

    std::string Decode(std::string_view bytes)
    {
        Charset();
        if (cd_ == Invalid())
            return DecodeUtf8(bytes);
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
            // EILSEQ, or EINVAL for a sequence cut off at the end: one mark
            // for the whole ill-formed part.
            if (out.size() - written < ReplacementCharacter.size())
                out.resize(out.size() * 2);
            ReplacementCharacter.copy(out.data() + written, ReplacementCharacter.size());
            written += ReplacementCharacter.size();
            // glibc's CP949 takes some undefined pairs (A2 E8) whole before
            // it reports them: nothing may be left to skip.
            const std::size_t skip = errno == EINVAL || inLeft == 0
                                         ? inLeft
                                         : std::min(IllFormedLength(std::string_view(in, inLeft)), inLeft);
            in += skip;
            inLeft -= skip;
            ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(written);
        return out;
    }

    std::optional<std::string> Encode(std::string_view text)
    {
        Charset();
        if (!IsWellFormedUtf8(text))
            return std::nullopt;
        if (cd_ == Invalid())
            return std::string(text);
        if (encoder_ == Invalid() || encoderCharset_ != charset_) {
            CloseEncoder();
            encoder_ = ::iconv_open(charset_.c_str(), "UTF-8");
            if (encoder_ == Invalid())
                return std::nullopt;
            encoderCharset_ = charset_;
        }
        ::iconv(encoder_, nullptr, nullptr, nullptr, nullptr);
        // No character set here takes more than 4 bytes a UTF-8 byte.
        std::string out(text.size() * 4 + 8, '\0');
        char* in = const_cast<char*>(text.data());  // iconv's signature; it does not write there
        std::size_t inLeft = text.size();
        char* outPtr = out.data();
        std::size_t outLeft = out.size();
        if (::iconv(encoder_, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
            return std::nullopt;  // a character the set lacks
        // Some sets end with a shift back to their initial state.
        ::iconv(encoder_, nullptr, nullptr, &outPtr, &outLeft);
        out.resize(out.size() - outLeft);
        return out;
    }

private:
    static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }
    void Close() noexcept
    {
        if (cd_ != Invalid())
            ::iconv_close(cd_);
        cd_ = Invalid();
        CloseEncoder();
    }
    void CloseEncoder() noexcept
    {
        if (encoder_ != Invalid())
            ::iconv_close(encoder_);
        encoder_ = Invalid();
    }

    // A locale whose character set iconv does not know must not leave names
    // undrawable: they are read as UTF-8, and that is said once.
    void OpenLocaleCharset()
    {
        const std::string locale = LocaleCharset();
        try {
            Open(locale);
        } catch (const Exception&) {
            if (warnedAbout_ != locale) {
                std::fprintf(
                    stderr,
                    "stockpicker: the locale's character set \"%s\" is unknown to iconv; showing names as UTF-8\n",
                    locale.c_str());
                warnedAbout_ = locale;
            }
            Open("UTF-8");
        }
    }

    // How many bytes at the start of `bytes`, which iconv rejected, are its
    // maximal subpart: the longest start that iconv takes for a sequence
    // still to be completed (EINVAL), or 1.
    std::size_t IllFormedLength(std::string_view bytes)
    {
        constexpr std::size_t LongestSequence = 8;
        std::size_t length = 1;
        while (length < bytes.size() && length < LongestSequence) {
            char sink[64];
            char* in = const_cast<char*>(bytes.data());
            std::size_t inLeft = length + 1;
            char* out = sink;
            std::size_t outLeft = sizeof sink;
            ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            const std::size_t result = ::iconv(cd_, &in, &inLeft, &out, &outLeft);
            if (result != static_cast<std::size_t>(-1) || errno != EINVAL || in != bytes.data())
                break;
            ++length;
        }
        return length;
    }

    iconv_t cd_ = Invalid();
    std::string charset_;
    // The other way, opened when first asked for.
    iconv_t encoder_ = Invalid();
    std::string encoderCharset_;
    bool opened_ = false;
    std::string warnedAbout_;
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

std::optional<std::string> EncodeForDisplay(std::string_view text)
{
    return TheDecoder().Encode(text);
}

std::string DisplayCharset()
{
    return TheDecoder().Charset();
}

void SetDisplayCharset(const std::string& charset)
{
    TheDecoder().Open(charset);
}
