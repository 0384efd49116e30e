#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

// The event loop's lateness, as a user would feel it: a timer due every
// 10 ms, and the longest time between two of its ticks beyond those 10 ms,
// from Start until Stop.
class LoopGaps {
public:
    LoopGaps()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    }
    void Start()
    {
        longest_ = 0;
        sinceTick_.start();
        timer_.start(TickMs);
    }
    double StopMs()
    {
        Tick();
        timer_.stop();
        return longest_;
    }

private:
    static constexpr int TickMs = 10;
    void Tick()
    {
        longest_ = std::max(longest_, static_cast<double>(sinceTick_.nsecsElapsed()) / 1e6 - TickMs);
        sinceTick_.restart();
    }
    QTimer timer_;
    QElapsedTimer sinceTick_;
    double longest_ = 0;
};
