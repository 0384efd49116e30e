#include "framework/gui/Application.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/Forms.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Sends a key press and its release to the button, as a keyboard would.
void PressKey(TBitBtn& button, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(button.Widget(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(button.Widget(), &release);
}

// Lets the event loop run until `done` or a generous time has passed; the
// press shows for a moment before the click.
template <class Predicate>
void RunEventsUntil(Predicate done)
{
    const QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

struct KeyCase {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
};

class ButtonKeys : public testing::TestWithParam<KeyCase> {};

TEST_P(ButtonKeys, PressTheButtonOnce)
{
    TBitBtn button(nullptr);
    int clicks = 0;
    button.OnClick = [&clicks](TObject*) { ++clicks; };
    PressKey(button, GetParam().key, GetParam().modifiers);
    RunEventsUntil([&] { return clicks > 0; });
    // Whatever was still to come would have come by now.
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 1);
}

INSTANTIATE_TEST_SUITE_P(Keys, ButtonKeys,
                         testing::Values(KeyCase{"Space", Qt::Key_Space, Qt::NoModifier},
                                         KeyCase{"Return", Qt::Key_Return, Qt::NoModifier},
                                         KeyCase{"KeypadEnter", Qt::Key_Enter, Qt::KeypadModifier}),
                         [](const testing::TestParamInfo<KeyCase>& keyCase) { return keyCase.param.name; });

TEST(ButtonKeys, OtherKeysDoNotPressIt)
{
    TBitBtn button(nullptr);
    int clicks = 0;
    button.OnClick = [&clicks](TObject*) { ++clicks; };
    PressKey(button, Qt::Key_A);
    PressKey(button, Qt::Key_Tab);
    PressKey(button, Qt::Key_Escape);
    // A click comes 100 ms after the key at the latest: wait well past that.
    const QDeadlineTimer deadline(500);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(clicks, 0);
}

TEST(ButtonKeys, AButtonWithNoClickActionStaysInert)
{
    std::vector<std::string> reports;
    Application->OnException = [&reports](TObject*, const std::exception& e) {
        reports.push_back(ExceptionMessage(e));
    };
    TBitBtn button(nullptr);
    bool pressed = false;
    QObject::connect(static_cast<QAbstractButton*>(button.Widget()), &QAbstractButton::clicked,
                     [&pressed] { pressed = true; });
    PressKey(button, Qt::Key_Return);
    RunEventsUntil([&] { return pressed; });
    QCoreApplication::processEvents();
    Application->OnException = nullptr;
    EXPECT_TRUE(pressed) << "the key pressed it";
    EXPECT_TRUE(reports.empty()) << "and nothing ran, nothing failed";
}

}  // namespace
