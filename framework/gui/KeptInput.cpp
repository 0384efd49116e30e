#include "KeptInput.h"

#include <utility>

void KeptInput::Keep(const QEvent& event)
{
    qint64 pause = 0;
    if (sinceLast_.isValid())
        pause = sinceLast_.restart();
    else
        sinceLast_.start();
    kept_.push_back({std::unique_ptr<QEvent>(event.clone()), pause});
}

std::vector<KeptInput::Kept> KeptInput::Take()
{
    sinceLast_.invalidate();
    return std::exchange(kept_, {});
}
