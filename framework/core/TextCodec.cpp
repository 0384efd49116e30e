#include "framework/core/TextCodec.h"

#include "framework/core/Exception.h"
#include "framework/core/QuotedName.h"
#include "framework/core/Translate.h"
#include "framework/core/Utf8.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
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

void CloseIconv::operator()(void* cd) const noexcept
{
    ::iconv_close(static_cast<iconv_t>(cd));
}

CharsetDecoder::CharsetDecoder(const std::string& charset) : charset_(CharsetForDecoding(charset))
{
    if (charset_ == "UTF-8")
        return;
    iconv_t cd = ::iconv_open("UTF-8", charset_.c_str());
    if (cd == Invalid())
        // TRANSLATORS: iconv cannot convert from a character set. {0}: its name in quotes, such as "EUC-KR";
        // {1}: the system's reason.
        throw Exception(Tr("unknown character set {0}: {1}", QuotedName(charset), ErrorText(errno)));
    cd_.reset(cd);
}

std::string CharsetDecoder::Decode(std::string_view bytes)
{
    if (!cd_)
        return DecodeUtf8(bytes);
    const auto cd = static_cast<iconv_t>(cd_.get());
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
    const auto cd = static_cast<iconv_t>(cd_.get());
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

DisplayCodec::DisplayCodec(const std::string& charset) : decoder_(charset) {}

DisplayCodec DisplayCodec::ForLocale(std::string& warning)
{
    warning.clear();
    const std::string locale = LocaleCharset();
    try {
        return DisplayCodec(locale);
    } catch (const Exception&) {
        // A locale whose character set iconv does not know must not leave
        // names undrawable: they are read as UTF-8.
        warning = Tr(
            // TRANSLATORS: a warning at start, after the program's name. {0}: the character set the locale names,
            // in quotes.
            "the locale's character set {0} is unknown to iconv; showing names as UTF-8", QuotedName(locale));
        return DisplayCodec("UTF-8");
    }
}

std::optional<std::string> DisplayCodec::Encode(std::string_view text)
{
    if (!IsWellFormedUtf8(text))
        return std::nullopt;
    if (Charset() == "UTF-8")
        return std::string(text);
    if (!encoder_) {
        iconv_t opened = ::iconv_open(Charset().c_str(), "UTF-8");
        if (opened == Invalid())
            return std::nullopt;
        encoder_.reset(opened);
    }
    const auto cd = static_cast<iconv_t>(encoder_.get());
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    // No character set here takes more than 4 bytes a UTF-8 byte.
    std::string out(text.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(text.data());  // iconv's signature; it does not write there
    std::size_t inLeft = text.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (::iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;  // a character the set lacks
    // Some sets end with a shift back to their initial state.
    ::iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.resize(out.size() - outLeft);
    return out;
}
