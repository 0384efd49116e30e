#include "app/Unit1.h"
#include "framework/core/Exception.h"
#include "framework/gui/Application.h"
#include "support/FailingAllocator.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// The program's main, built from app/main.cpp under this name.
int StockpickerMain(int argc, char** argv);

namespace {

// Lack of memory while the window is built: the start fails. main shows why
// and ends with a failure status, and nothing points at the form that went.
TEST(Main, AStartThatFailsIsShownAndEndsWithAFailureStatus)
{
    std::string shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text().toStdString();
            box->close();
        }
    });
    closer.start(10);
    int status = 0;
    {
        struct StopFailing {
            ~StopFailing() { StopFailingAllocations(); }
        } stop;
        // The application is started already, so the first allocation is
        // that of the form.
        FailAllocationsAfter(1);
        char name[] = "stockpicker";
        char* argv[] = {name, nullptr};
        status = StockpickerMain(1, argv);
    }
    EXPECT_TRUE(AllocationFailed());
    EXPECT_EQ(status, EXIT_FAILURE);
    EXPECT_EQ(shown, "Out of memory");
    EXPECT_EQ(Form1, nullptr);
    EXPECT_EQ(Application->MainForm(), nullptr);
}

// A wrong command line ends the program before anything is shown.
TEST(Main, AWrongCommandLineEndsWithStatus2AndNoWindow)
{
    char name[] = "stockpicker";
    char operand[] = "fmast.dat";
    char* argv[] = {name, operand, nullptr};
    EXPECT_EQ(StockpickerMain(2, argv), 2);
    EXPECT_EQ(Form1, nullptr);
    EXPECT_EQ(Application->MainForm(), nullptr);
}

}  // namespace
