#include "Form1Fixture.h"

#include "framework/core/TextCodec.h"
#include "support/SwitchableDisplayCharset.h"

#include <QApplication>
#include <QKeyEvent>
#include <QThread>
#include <QtGlobal>

#include <cstdlib>

namespace {

// Runs a test under a locale that make-test-locales.sh made, through LOCPATH;
// back to the C locale afterwards.
class Form1Locale : public Form1Fixture {
protected:
    // Switches the display character set to that of locale `name`; false
    // when the locale could not be made here.
    static bool UseLocale(const char* name)
    {
        const char* dir = std::getenv("STOCKPICKER_TEST_LOCPATH");
        if (dir == nullptr || !std::filesystem::is_directory(std::filesystem::path(dir) / name))
            return false;
        ::setenv("LOCPATH", dir, 1);
        ::setenv("LC_ALL", name, 1);
        SetDisplayCharset("");
        return true;
    }

    void TearDown() override
    {
        ::unsetenv("LC_ALL");
        ::unsetenv("LOCPATH");
        SetDisplayCharset("");
        Form1Fixture::TearDown();
    }
};

constexpr const char* NoLocale =
    "the locale was not made: tests/support/make-test-locales.sh needs localedef and the `locales` package";

// What Qt warns while the test runs, such as "QPainter::end: Painter ended
// with 8 saved states".
class QtWarnings {
public:
    QtWarnings() { previous_ = qInstallMessageHandler(Collect); }
    ~QtWarnings() { qInstallMessageHandler(previous_); }
    QtWarnings(const QtWarnings&) = delete;
    QtWarnings& operator=(const QtWarnings&) = delete;
    static std::vector<std::string>& Seen()
    {
        static std::vector<std::string> seen;
        return seen;
    }

private:
    static void Collect(QtMsgType, const QMessageLogContext&, const QString& message)
    {
        Seen().push_back(message.toStdString());
    }
    QtMessageHandler previous_;
};

TEST_F(Form1Locale, UnderAnEucKrLocaleCp949OnlySyllablesAreDrawn)
{
    if (!UseLocale("ko_KR.EUC-KR"))
        GTEST_SKIP() << NoLocale;
    ASSERT_EQ(DisplayCharset(), "CP949") << "EUC-KR is read as CP949, its superset";
    // "똠방각하 뷁 햏": 똠, 뷁 and 햏 are in CP949's Unified Hangul extension only.
    WriteMaster("fmast.dat", {"\x8C\x63\xB9\xE6\xB0\xA2\xC7\xCF \x94\xEE \xC1\x64", "\xBB\xEF\xBC\xBA"});
    const auto form = OpenForm();
    const QImage first = PaintedRow(form->ComboBox1, 0);
    EXPECT_EQ(first, DrawnDirectly(Box(form->ComboBox1), first.size(), "똠방각하 뷁 햏", false));
    const QImage second = PaintedRow(form->ComboBox1, 1);
    EXPECT_EQ(second, DrawnDirectly(Box(form->ComboBox1), second.size(), "삼성", false));
    EXPECT_TRUE(reports_.empty());
}

// The warning is the program's to print, after its name (app/main.cpp).
TEST_F(Form1Locale, AnUnknownCharacterSetFallsBackToUtf8WithAWarning)
{
    testing::internal::CaptureStderr();
    const bool made = UseLocale("xx_XX");
    std::string warning;
    const DisplayCodec codec = DisplayCodec::ForLocale(warning);
    const std::string printed = testing::internal::GetCapturedStderr();
    if (!made)
        GTEST_SKIP() << NoLocale;
    EXPECT_EQ(codec.Charset(), "UTF-8");
    EXPECT_EQ(DisplayCharset(), "UTF-8");
    EXPECT_EQ(warning,
              "the locale's character set \"STOCKPICKER-NO-SUCH-CHARSET\" is unknown to iconv; showing names as UTF-8");
    EXPECT_EQ(printed, "") << "the core prints nothing itself";
}

TEST_F(Form1Locale, UnderAnUnknownCharacterSetNamesArePaintedAndThePainterLeftBalanced)
{
    testing::internal::CaptureStderr();
    const bool made = UseLocale("xx_XX");
    testing::internal::GetCapturedStderr();
    if (!made)
        GTEST_SKIP() << NoLocale;
    const std::vector<std::string> nameOrder = {"Kia", "삼성전자"};
    WriteMaster("fmast.dat", {"삼성전자", "Kia"});
    QtWarnings::Seen().clear();
    {
        const QtWarnings warnings;
        auto form = OpenForm();
        for (int row = 0; row < 2; ++row) {
            const QImage painted = PaintedRow(form->ComboBox1, row);
            EXPECT_EQ(painted, DrawnDirectly(Box(form->ComboBox1), painted.size(),
                                             nameOrder[static_cast<std::size_t>(row)], false))
                << "row " << row;
        }
        form.reset();
        Settle();
    }
    EXPECT_TRUE(reports_.empty()) << reports_.front();
    for (const std::string& warning : QtWarnings::Seen())
        EXPECT_EQ(warning.find("Painter"), std::string::npos) << warning;
}

// Names by their leading initials, typed as jamo, under the locale that
// `GetParam()` names; the master file is written in that locale's bytes.
class Form1LocaleInitials : public Form1Locale, public testing::WithParamInterface<const char*> {
protected:
    // In byte order under both character sets.
    enum Row { LgChem, Kkattu, Samsung, Celltrion, Kakao };

    static void Type(QWidget* target, const QString& text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
        }
    }
    // Lets the keyboard interval pass, so the next key starts a new search.
    static void Pause() { QThread::msleep(static_cast<unsigned long>(QApplication::keyboardInputInterval()) + 50); }
};

TEST_P(Form1LocaleInitials, InitialsFindNamesWrittenInTheLocalesCharacterSet)
{
    if (!UseLocale(GetParam()))
        GTEST_SKIP() << NoLocale;
    std::vector<std::string> names;
    for (const char* name : {"LG화학", "까뚜빠싸짜", "삼성전자", "셀트리온", "카카오"}) {
        const std::optional<std::string> stored = EncodeForDisplay(name);
        ASSERT_TRUE(stored.has_value()) << name;
        names.push_back(*stored);
    }
    WriteMaster("fmast.dat", names);
    const auto form = OpenForm();
    QComboBox& box = Box(form->ComboBox1);
    Type(&box, "ㅎ");
    EXPECT_EQ(form->ComboBox1->ItemIndex(), -1) << "LG화학 starts with Latin letters";
    Pause();
    Type(&box, "ㅋㅋㅇ");
    EXPECT_EQ(form->ComboBox1->ItemIndex(), Kakao);
    Pause();
    Type(&box, "ㅅㅅㅈㅈ");
    EXPECT_EQ(form->ComboBox1->ItemIndex(), Samsung);
    Pause();
    Type(&box, "ㄲㄸㅃㅆㅉ");
    EXPECT_EQ(form->ComboBox1->ItemIndex(), Kkattu);
    Pause();
    Type(&box, "ㄱㄷ");
    EXPECT_EQ(form->ComboBox1->ItemIndex(), Kkattu) << "ㄱ is not ㄲ";
    EXPECT_TRUE(reports_.empty());
}

std::string LocaleTestName(const testing::TestParamInfo<const char*>& locale)
{
    return std::string(locale.param) == "ko_KR.EUC-KR" ? "EucKr" : "Utf8";
}

INSTANTIATE_TEST_SUITE_P(Locales, Form1LocaleInitials, testing::Values("ko_KR.EUC-KR", "ko_KR.UTF-8"), LocaleTestName);

}  // namespace
