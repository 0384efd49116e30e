#pragma once

#include "app/Unit1.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

#include <chrono>
#include <thread>

#include <time.h>

// What the window benchmarks wait for, and the clocks they read.

using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

inline double CpuMs(clockid_t clock)
{
    timespec time{};
    ::clock_gettime(clock, &time);
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) / 1e6;
}

enum class HandleEvents : bool { No, Yes };

// Milliseconds from `since` to the end of the last 2 ms in which the
// process's CPU time grew, every thread counted, once it has not grown for
// 100 ms. Events handled meanwhile count; this loop's own sleeping and
// sampling does not. Growth under 0.1 ms in 2 ms is noise: a thread that
// still works takes up to 2 ms in 2 ms.
inline double UntilIdleMs(Clock::time_point since, HandleEvents handleEvents)
{
    double lastBusy = MsSince(since);
    double cpu = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
    while (MsSince(since) - lastBusy < 100) {
        if (handleEvents == HandleEvents::Yes)
            QApplication::processEvents();
        const double beforeSleep = CpuMs(CLOCK_THREAD_CPUTIME_ID);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const double sampling = CpuMs(CLOCK_THREAD_CPUTIME_ID) - beforeSleep;
        const double now = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        if (now - cpu - sampling > 0.1)
            lastBusy = MsSince(since);
        cpu = now;
    }
    return lastBusy;
}

inline void Settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// A load runs while its buttons wait for it.
inline bool LoadRunning()
{
    return !Form1->BitBtn1->Enabled();
}

inline void WaitForLoad()
{
    while (LoadRunning())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Keys typed once the list shows wait for its search to be made.
inline void WaitForSearch()
{
    while (Form1->ComboBox1->TypingHeld())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// A load or the build of the indexes after it runs: the cursor shows both.
inline bool Busy()
{
    return Form1->Widget()->cursor().shape() == Qt::BusyCursor;
}

inline void WaitWhileBusy()
{
    while (Busy())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
