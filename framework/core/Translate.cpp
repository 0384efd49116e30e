#include "framework/core/Translate.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <libintl.h>
#include <locale.h>
#include <system_error>

namespace {

constexpr const char* Domain = "stockpicker";

// An executable inside the build tree (the tests, scripts/run.sh) reads the
// catalogs built there; an installed one reads them from ../share/locale
// beside its bin folder, wherever the prefix is. Never from the current
// folder: that is the user's, with the master files in it.
std::string CatalogFolder()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return STOCKPICKER_INSTALLED_LOCALEDIR;
    const std::filesystem::path build = std::filesystem::weakly_canonical(STOCKPICKER_BUILD_DIR, error);
    if (!error && std::mismatch(build.begin(), build.end(), exe.begin(), exe.end()).first == build.end())
        return STOCKPICKER_BUILD_LOCALEDIR;
    return (exe.parent_path() / STOCKPICKER_LOCALEDIR_FROM_BINDIR).lexically_normal();
}

const char* BoundDomain() noexcept
{
    static const bool bound = [] {
        try {
            ::bindtextdomain(Domain, CatalogFolder().c_str());
        } catch (...) {
            // Out of memory: the messages stay in English.
        }
        return true;
    }();
    static_cast<void>(bound);
    return Domain;
}

// The environment's locale for this thread while gettext looks a message up:
// gettext takes the language from the thread's LC_MESSAGES and converts to the
// character set of its LC_CTYPE. Without one (no locale, or one not installed)
// the messages stay in English, as under setlocale's fallback to C.
class EnvironmentLocale {
public:
    EnvironmentLocale() noexcept
        : locale_(::newlocale(LC_CTYPE_MASK | LC_MESSAGES_MASK, "", locale_t{})),
          previous_(locale_ != locale_t{} ? ::uselocale(locale_) : locale_t{})
    {
    }
    ~EnvironmentLocale() noexcept
    {
        if (locale_ == locale_t{})
            return;
        ::uselocale(previous_);
        ::freelocale(locale_);
    }
    EnvironmentLocale(const EnvironmentLocale&) = delete;
    EnvironmentLocale& operator=(const EnvironmentLocale&) = delete;

    bool Made() const noexcept { return locale_ != locale_t{}; }
    locale_t Get() const noexcept { return locale_; }

private:
    locale_t locale_;
    locale_t previous_;
};

}  // namespace

const char* Translate(const char* message) noexcept
{
    const EnvironmentLocale locale;
    if (!locale.Made())
        return message;
    return ::dgettext(BoundDomain(), message);
}

const char* TranslatePlural(const char* singular, const char* plural, unsigned long count) noexcept
{
    const EnvironmentLocale locale;
    if (!locale.Made())
        return count == 1 ? singular : plural;
    return ::dngettext(BoundDomain(), singular, plural, count);
}

std::string ErrorText(int error)
{
    const EnvironmentLocale locale;
    if (!locale.Made())
        return std::strerror(error);
    return ::strerror_l(error, locale.Get());
}
