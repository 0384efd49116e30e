#include "framework/core/Translate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// Runs under the locale that `locale` names, from those make-test-locales.sh
// made (LOCPATH); the environment is left without LC_ALL afterwards.
class Translation : public testing::Test {
protected:
    // False when the locale was not made here; "C" and names of locales that
    // do not exist need none.
    static bool UseLocale(const std::string& locale)
    {
        const char* dir = std::getenv("STOCKPICKER_TEST_LOCPATH");
        if (locale.starts_with("ko_KR")) {
            if (dir == nullptr || !std::filesystem::is_directory(std::filesystem::path(dir) / locale))
                return false;
            ::setenv("LOCPATH", dir, 1);
        }
        ::setenv("LC_ALL", locale.c_str(), 1);
        return true;
    }

    void TearDown() override
    {
        ::unsetenv("LC_ALL");
        ::unsetenv("LOCPATH");
    }
};

constexpr const char* NoLocale = "the locale was not made: make-test-locales.sh needs localedef";

struct PluralCase {
    const char* name;
    const char* locale;
    unsigned long lines;
    std::string message;
};

void PrintTo(const PluralCase& c, std::ostream* out)
{
    *out << c.name;
}

class TrPluralUnder : public Translation, public testing::WithParamInterface<PluralCase> {};

// A message of the catalog with a singular and a plural: English has two
// forms, Korean one (nplurals=1).
TEST_P(TrPluralUnder, PicksTheFormTheLanguageHasForTheCount)
{
    const PluralCase& c = GetParam();
    if (!UseLocale(c.locale))
        GTEST_SKIP() << NoLocale;
    const std::string count = std::to_string(c.lines);
    EXPECT_EQ(TrPlural("cannot load {0}: {1} line is more than the list can hold ({2})",
                       "cannot load {0}: {1} lines are more than the list can hold ({2})", c.lines, "\"f\"", count,
                       "100"),
              c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrPluralUnder,
    testing::Values(PluralCase{"english_one_line_is_singular", "C", 1,
                               "cannot load \"f\": 1 line is more than the list can hold (100)"},
                    PluralCase{"english_two_lines_are_plural", "C", 2,
                               "cannot load \"f\": 2 lines are more than the list can hold (100)"},
                    PluralCase{"english_no_lines_are_plural", "C", 0,
                               "cannot load \"f\": 0 lines are more than the list can hold (100)"},
                    PluralCase{"a_locale_not_installed_gives_english_singular", "xx_NONE.UTF-8", 1,
                               "cannot load \"f\": 1 line is more than the list can hold (100)"},
                    PluralCase{"a_locale_not_installed_gives_english_plural", "xx_NONE.UTF-8", 3,
                               "cannot load \"f\": 3 lines are more than the list can hold (100)"},
                    PluralCase{"korean_one_line", "ko_KR.UTF-8", 1,
                               "\"f\" 파일을 읽을 수 없습니다: 1줄은 목록에 담을 수 있는 100줄보다 많습니다"},
                    PluralCase{"korean_many_lines_take_the_same_form", "ko_KR.UTF-8", 2,
                               "\"f\" 파일을 읽을 수 없습니다: 2줄은 목록에 담을 수 있는 100줄보다 많습니다"}),
    [](const testing::TestParamInfo<PluralCase>& row) { return row.param.name; });

TEST_F(Translation, AMessageIsInTheLanguageAndCharacterSetOfTheLocale)
{
    const struct {
        const char* locale;
        std::string message;
    } cases[] = {
        {"C", "missing file operand"},
        {"ko_KR.UTF-8", "파일 피연산자가 없습니다"},
        {"ko_KR.CP949",
         "\xC6\xC4\xC0\xCF\x20\xC7\xC7\xBF\xAC\xBB\xEA\xC0\xDA\xB0\xA1\x20\xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        if (!UseLocale(c.locale))
            continue;  // said by the plural cases' skips
        EXPECT_EQ(Translate("missing file operand"), c.message);
    }
}

}  // namespace
