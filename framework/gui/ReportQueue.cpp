#include "ReportQueue.h"

#include "StderrReport.h"
#include "framework/core/Exception.h"
#include "framework/core/Translate.h"

#include <QSocketNotifier>

#include <cassert>
#include <cerrno>
#include <cstdint>
#include <string>
#include <sys/eventfd.h>
#include <unistd.h>

ReportQueue::ReportQueue() = default;

ReportQueue::~ReportQueue()
{
    Close();
}

void ReportQueue::Open(std::function<void()> onWake)
{
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0)
        // TRANSLATORS: the window cannot start. {0}: the system's reason.
        throw Exception(Tr("cannot start the event loop: {0}", ErrorText(errno)));
    wake_ = std::make_unique<QSocketNotifier>(wakeFd_, QSocketNotifier::Read);
    QObject::connect(wake_.get(), &QSocketNotifier::activated, wake_.get(), [this, onWake = std::move(onWake)] {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &count, sizeof count);
        onWake();
    });
}

void ReportQueue::Close() noexcept
{
    while (std::optional<Entry> entry = Pop())
        WriteToStderr(entry->error);
    wake_.reset();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
    wakeFd_ = -1;
}

bool ReportQueue::Push(TObject* sender, const std::exception_ptr& error) noexcept
{
    assert(IsOpen() && "reports are queued only while the event loop can be woken");
    if (count_ == entries_.size())
        return false;
    Entry& entry = entries_[(first_ + count_) % entries_.size()];
    entry.sender = sender;
    entry.error = error;  // copying an exception_ptr only counts a reference
    ++count_;
    // A failed write leaves the counter set, so the loop still wakes.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
    return true;
}

std::optional<ReportQueue::Entry> ReportQueue::Pop() noexcept
{
    if (count_ == 0)
        return std::nullopt;
    Entry entry = std::move(entries_[first_]);
    entries_[first_] = Entry();
    first_ = (first_ + 1) % entries_.size();
    --count_;
    return entry;
}
