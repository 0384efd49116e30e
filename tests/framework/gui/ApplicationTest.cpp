#include "framework/core/Exception.h"
#include "framework/gui/Application.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/Forms.h"

#include <QCoreApplication>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

TEST(ExceptionMessage, SaysWhatTheUserNeedsToKnow)
{
    EXPECT_EQ(ExceptionMessage(Exception("cannot open file \"x\": No such file or directory")),
              "cannot open file \"x\": No such file or directory");
    EXPECT_EQ(ExceptionMessage(std::bad_alloc()), "Out of memory");
    EXPECT_EQ(ExceptionMessage(std::runtime_error("something broke")), "something broke");
}

// An exception from an event handler is reported once control is back in the
// event loop, and the program goes on.
TEST(HandleException, ReportsWhatAHandlerThrowsAndCarriesOn)
{
    std::vector<std::string> reports;
    Application->OnException = [&reports](TObject*, const std::exception& e) {
        reports.push_back(ExceptionMessage(e));
    };
    TBitBtn button(nullptr);
    int clicks = 0;
    button.OnClick = [&clicks](TObject*) {
        if (++clicks == 1)
            throw std::bad_alloc();
        throw Exception("second");
    };
    button.Click();
    EXPECT_TRUE(reports.empty()) << "reported from the event loop, not inside the click";
    QCoreApplication::processEvents();
    button.Click();
    QCoreApplication::processEvents();
    Application->OnException = nullptr;
    EXPECT_EQ(reports, (std::vector<std::string>{"Out of memory", "second"}));
}

// A form's widgets need the QApplication to the end. The child process ends
// inside the form's destructor, saying whether the QApplication was still there.
TEST(Finalize, DestroysTheFormsBeforeTheApplicationObject)
{
    class WitnessForm : public TForm {
    public:
        using TForm::TForm;
        ~WitnessForm() override { std::_Exit(QCoreApplication::instance() != nullptr ? 0 : 1); }
    };
    EXPECT_EXIT(
        {
            Application->InsertComponent(std::make_unique<WitnessForm>(Application));
            Application->Finalize();
            std::_Exit(2);
        },
        testing::ExitedWithCode(0), "")
        << "1: the QApplication went first; 2: the form was not destroyed";
}

struct DisplayLossCase {
    const char* locale;
    const char* qtWarning;
    const char* line;  // a regular expression: what stderr holds, whole
};

// Qt warns so just before it ends the process itself from inside the event
// loop; the program ends there, with one line and status 1, in the user's
// language (Qt's own reason is English), and runs no exit handlers that
// could touch widgets.
TEST(DisplayLoss, EndsTheProcessWithStatusOneAndOneLineInTheUsersLanguage)
{
    constexpr const char* x11 = "The X11 connection broke (error 1). Did the X11 server die?";
    constexpr const char* wayland = "The Wayland connection broke. Did the Wayland compositor die?";
    const DisplayLossCase cases[] = {
        {"C", x11, "^stockpicker: lost the display: the connection to the X server broke\n$"},
        {"C", wayland, "^stockpicker: lost the display: the connection to the Wayland compositor broke\n$"},
        {"C", "The Wayland connection experienced a fatal error: Protocol error",
         "^stockpicker: lost the display: the connection to the Wayland compositor broke\n$"},
        {"ko_KR.UTF-8", x11, "^stockpicker: X 서버와의 연결이 끊어져 디스플레이를 잃었습니다\n$"},
        {"ko_KR.UTF-8", wayland, "^stockpicker: Wayland 컴포지터와의 연결이 끊어져 디스플레이를 잃었습니다\n$"},
        {"ko_KR.CP949", x11,
         "^stockpicker: X \xBC\xAD\xB9\xF6\xBF\xCD\xC0\xC7 \xBF\xAC\xB0\xE1\xC0\xCC \xB2\xF7\xBE\xEE\xC1\xAE "
         "\xB5\xF0\xBD\xBA\xC7\xC3\xB7\xB9\xC0\xCC\xB8\xA6 \xC0\xD2\xBE\xFA\xBD\xC0\xB4\xCF\xB4\xD9\n$"},
    };
    const char* locales = std::getenv("STOCKPICKER_TEST_LOCPATH");
    for (const DisplayLossCase& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + ": " + c.qtWarning);
        const bool korean = std::string_view(c.locale).starts_with("ko_KR");
        if (korean && (locales == nullptr || !std::filesystem::is_directory(std::filesystem::path(locales) / c.locale)))
            GTEST_SKIP() << c.locale << " was not made: make-test-locales.sh needs localedef";
        EXPECT_EXIT(
            {
                if (korean)
                    ::setenv("LOCPATH", locales, 1);
                ::setenv("LC_ALL", c.locale, 1);
                qWarning("%s", c.qtWarning);
            },
            testing::ExitedWithCode(1), c.line);
    }
}

// Once the server has gone, a write to its socket must fail, not end the
// process before Qt can say the display was lost.
TEST(DisplayLoss, AWriteToAClosedConnectionFailsInsteadOfEndingTheProcess)
{
    Application->Initialize();
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    ::close(ends[1]);
    errno = 0;
    EXPECT_EQ(::write(ends[0], "x", 1), -1);
    EXPECT_EQ(errno, EPIPE);
    ::close(ends[0]);
}

TEST(DisplayLoss, OtherWarningsGoOnAsBefore)
{
    EXPECT_EXIT(
        {
            qWarning("The X11 connection is fine");
            std::exit(7);
        },
        testing::ExitedWithCode(7), "The X11 connection is fine");
}

}  // namespace
