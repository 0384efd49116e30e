#pragma once

#include "Form1Fixture.h"
#include "support/PickingStocks.h"

#include <QApplication>
#include <QKeyEvent>
#include <QThread>

// A window over the picking stocks, typed into with a short keyboard
// interval, so that a pause ends a search in the closed box quickly.
class Form1TypingFixture : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        dir_.Write("fmast.dat", PickingMaster);
        previousInterval_ = QApplication::keyboardInputInterval();
        QApplication::setKeyboardInputInterval(KeyInterval);
    }
    void TearDown() override
    {
        QApplication::setKeyboardInputInterval(previousInterval_);
        Form1Fixture::TearDown();
    }

    // Types `text` into `target` one character at a time, as quickly as a
    // person who means one search.
    static void Type(QWidget* target, const QString& text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &release);
        }
    }
    // Lets the keyboard interval pass, so the next key starts a new search.
    static void Pause() { QThread::msleep(KeyInterval + 50); }

    static constexpr int KeyInterval = 150;

private:
    int previousInterval_ = 0;
};
