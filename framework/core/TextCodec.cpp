#include "framework/core/TextCodec.h"

#include "framework/core/Exception.h"
#include "framework/core/Translate.h"
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
#include <mutex>
#include <type_traits>
#include <utility>

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

iconv_t Invalid()
{
    return reinterpret_cast<iconv_t>(-1);
}

}  // namespace

static_assert(std::is_same_v<iconv_t, void*>, "CharsetDecoder keeps its descriptor as a void*");

CharsetDecoder::CharsetDecoder(const std::string& charset) : cd_(Invalid()), charset_(CharsetForDecoding(charset))
{
    if (charset_ == "UTF-8")
        return;
    cd_ = ::iconv_open("UTF-8", charset_.c_str());
    if (cd_ == Invalid())
        // TRANSLATORS: iconv cannot convert from a character set. {0}: its name in quotes, such as "EUC-KR";
        // {1}: the system's reason.
        throw Exception(Tr("unknown character set {0}: {1}", "\"" + charset + "\"", ErrorText(errno)));
}

CharsetDecoder::CharsetDecoder(CharsetDecoder&& other) noexcept
    : cd_(std::exchange(other.cd_, Invalid())), charset_(std::move(other.charset_))
{
}

CharsetDecoder& CharsetDecoder::operator=(CharsetDecoder&& other) noexcept
{
    if (this != &other) {
        Close();
        cd_ = std::exchange(other.cd_, Invalid());
        charset_ = std::move(other.charset_);
    }
    return *this;
}

CharsetDecoder::~CharsetDecoder()
{
    Close();
}

void CharsetDecoder::Close() noexcept
{
    if (cd_ != Invalid())
        ::iconv_close(static_cast<iconv_t>(cd_));
    cd_ = Invalid();
}

std::string CharsetDecoder::Decode(std::string_view bytes)
{
    if (cd_ == Invalid())
        return DecodeUtf8(bytes);
    const auto cd = static_cast<iconv_t>(cd_);
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out(bytes.size() * 3 + 8, '\0');
    char* in = const_cast<char*>(bytes.data());  // iconv's signature; it does not write there
    std::size_t inLeft = bytes.size();
    std::size_t written = 0;
    while (inLeft > 0) {
        char* outPtr = out.data() + written;
        std::size_t outLeft = out.size() - written;
        const std::size_t result = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
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
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(written);
    return out;
}

// How many bytes at the start of `bytes`, which iconv rejected, are its
// maximal subpart: the longest start that iconv takes for a sequence still to
// be completed (EINVAL), or 1.
std::size_t CharsetDecoder::IllFormedLength(std::string_view bytes)
{
    constexpr std::size_t LongestSequence = 8;
    const auto cd = static_cast<iconv_t>(cd_);
    std::size_t length = 1;
    while (length < bytes.size() && length < LongestSequence) {
        char sink[64];
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = length + 1;
        char* out = sink;
        std::size_t outLeft = sizeof sink;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const std::size_t result = ::iconv(cd, &in, &inLeft, &out, &outLeft);
        if (result != static_cast<std::size_t>(-1) || errno != EINVAL || in != bytes.data())
            break;
        ++length;
    }
    return length;
}

namespace {

// What the display reads with: the decoder of its character set, opened
// from the locale when first asked for, and the encoder the other way.
class DisplayCodec {
public:
    ~DisplayCodec() { CloseEncoder(); }

    void Open(const std::string& charset)
    {
        if (charset.empty()) {
            OpenLocaleCharset();
            return;
        }
        if (decoder_ && CharsetForDecoding(charset) == decoder_->Charset())
            return;
        // Made before the old one goes, so that an unknown set leaves it.
        decoder_ = CharsetDecoder(charset);
    }

    const std::string& Charset()
    {
        if (!decoder_)
            OpenLocaleCharset();
        return decoder_->Charset();
    }

    std::string Decode(std::string_view bytes)
    {
        Charset();
        return decoder_->Decode(bytes);
    }

    std::optional<std::string> Encode(std::string_view text)
    {
        const std::string& charset = Charset();
        if (!IsWellFormedUtf8(text))
            return std::nullopt;
        if (charset == "UTF-8")
            return std::string(text);
        if (encoder_ == Invalid() || encoderCharset_ != charset) {
            CloseEncoder();
            encoder_ = ::iconv_open(charset.c_str(), "UTF-8");
            if (encoder_ == Invalid())
                return std::nullopt;
            encoderCharset_ = charset;
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
                const std::string quoted = "\"" + locale + "\"";
                const std::string warning = Tr(
                    // TRANSLATORS: a warning at start, after "stockpicker: ". {0}: the character set the locale
                    // names, in quotes.
                    "the locale's character set {0} is unknown to iconv; showing names as UTF-8", quoted);
                std::fprintf(stderr, "stockpicker: %s\n", warning.c_str());
                warnedAbout_ = locale;
            }
            Open("UTF-8");
        }
    }

    std::optional<CharsetDecoder> decoder_;
    // The other way, opened when first asked for.
    iconv_t encoder_ = Invalid();
    std::string encoderCharset_;
    std::string warnedAbout_;
};

// The display's codec is shared by every thread: a load's workers read names
// while the GUI thread draws them.
struct SharedCodec {
    std::mutex mutex;
    DisplayCodec codec;
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

void SetDisplayCharset(const std::string& charset)
{
    SharedCodec& shared = TheCodec();
    const std::scoped_lock lock(shared.mutex);
    shared.codec.Open(charset);
}
