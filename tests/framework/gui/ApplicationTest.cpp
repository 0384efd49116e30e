#include "framework/core/Exception.h"
#include "framework/gui/Application.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/Forms.h"

#include <QCoreApplication>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
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

// Qt warns so just before it ends the process itself from inside the event
// loop; the program ends there, with one line and status 1, and runs no
// exit handlers that could touch widgets.
TEST(DisplayLoss, EndsTheProcessWithStatusOneAndOneLine)
{
    EXPECT_EXIT(
        qWarning("The X11 connection broke (error 1). Did the X11 server die?"), testing::ExitedWithCode(1),
        "^stockpicker: lost the display: The X11 connection broke \\(error 1\\)\\. Did the X11 server die\\?\n$");
    EXPECT_EXIT(qWarning("The Wayland connection broke. Did the Wayland compositor die?"), testing::ExitedWithCode(1),
                "^stockpicker: lost the display: The Wayland connection broke");
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
