#include "framework/gui/Application.h"

#include "framework/core/Exception.h"
#include "framework/gui/DispatchEvent.h"
#include "framework/gui/DisplayAdvice.h"
#include "framework/core/TextCodec.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QInputEvent>
#include <QMessageBox>
#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <signal.h>
#include <string_view>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

QString DecodedText(const std::string& bytes)
{
    return QString::fromStdString(DecodeForDisplay(bytes));
}

// The text of ExceptionMessage, without allocating.
const char* MessageText(const std::exception& E) noexcept
{
    if (dynamic_cast<const std::bad_alloc*>(&E) != nullptr)
        return "Out of memory";
    return E.what();
}

// The last resort of every report: needs no memory and no display.
void WriteToStderr(const std::exception_ptr& error) noexcept
{
    const char* text = "unknown error";
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        text = MessageText(e);
    } catch (...) {
    }
    std::fputs("stockpicker: ", stderr);
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
}

// Reports waiting for the event loop, in the order they came. Its room is
// reserved once, so queueing a report allocates nothing.
class ReportQueue {
public:
    struct Entry {
        TObject* sender = nullptr;
        std::exception_ptr error;
    };

    bool Push(TObject* sender, const std::exception_ptr& error) noexcept
    {
        if (count_ == entries_.size())
            return false;
        Entry& entry = entries_[(first_ + count_) % entries_.size()];
        entry.sender = sender;
        entry.error = error;  // copying an exception_ptr only counts a reference
        ++count_;
        return true;
    }

    std::optional<Entry> Pop() noexcept
    {
        if (count_ == 0)
            return std::nullopt;
        Entry entry = std::move(entries_[first_]);
        entries_[first_] = Entry();
        first_ = (first_ + 1) % entries_.size();
        --count_;
        return entry;
    }

private:
    std::array<Entry, 16> entries_;
    std::size_t first_ = 0;
    std::size_t count_ = 0;
};

// Drops the clicks and key presses given while the application was busy.
// Qt reads them only once the busy work returns, but each carries the window
// system's time of its making; the time the work ended is estimated from
// the last input seen before it, since both clocks run in milliseconds.
class StaleInputFilter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (!IsUserAction(event->type()))
            return false;
        const quint64 stamp = static_cast<const QInputEvent*>(event)->timestamp();
        if (stamp == 0)
            return false;  // made by the program itself, with no time
        if (dropUpTo_ && stamp <= *dropUpTo_)
            return true;
        lastStamp_ = stamp;
        lastSeen_.start();
        return false;
    }

    // Drops what was given up to now.
    void DropUpToNow() noexcept
    {
        if (lastSeen_.isValid())
            dropUpTo_ = lastStamp_ + static_cast<quint64>(lastSeen_.elapsed());
    }

private:
    static bool IsUserAction(QEvent::Type type) noexcept
    {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
            return true;
        default:
            return false;
        }
    }

    quint64 lastStamp_ = 0;
    QElapsedTimer lastSeen_;
    std::optional<quint64> dropUpTo_;
};

}  // namespace

std::string ExceptionMessage(const std::exception& E)
{
    if (const auto* exception = dynamic_cast<const Exception*>(&E))
        return exception->Message();
    return MessageText(E);
}

struct TApplication::QtState {
    int argc = 1;
    char programName[16] = "stockpicker";
    char* argv[2] = {programName, nullptr};
    std::unique_ptr<QApplication> app;

    // Wakes the event loop for queued reports: writing to an eventfd needs no
    // memory, where a timer or a posted event would allocate.
    ReportQueue pending;
    int wakeFd = -1;
    std::unique_ptr<QSocketNotifier> wake;
    bool reporting = false;

    StaleInputFilter staleInput;
    int busyDepth = 0;

    void OpenWake(TApplication& application)
    {
        wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wakeFd < 0)
            throw Exception(std::string("cannot start the event loop: ") + std::strerror(errno));
        wake = std::make_unique<QSocketNotifier>(wakeFd, QSocketNotifier::Read);
        QObject::connect(wake.get(), &QSocketNotifier::activated, wake.get(),
                         [&application] { application.ReportPending(); });
    }

    void CloseWake() noexcept
    {
        wake.reset();
        if (wakeFd >= 0)
            ::close(wakeFd);
        wakeFd = -1;
    }
};

namespace {

QtMessageHandler previousHandler = nullptr;

// Qt ends the process with abort() and a core dump when it cannot reach a
// display; say why plainly, and what would help, and exit instead.
void ExitOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        if (previousHandler != nullptr)
            previousHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "stockpicker: cannot show a window: %s\n", message.toLocal8Bit().constData());
    const auto variable = [](const char* name) -> std::string_view {
        const char* value = std::getenv(name);
        return value != nullptr ? value : "";
    };
    const std::string advice = NoDisplayAdvice({
        .display = variable("DISPLAY"),
        .waylandDisplay = variable("WAYLAND_DISPLAY"),
        .platform = variable("QT_QPA_PLATFORM"),
        .waylandPlatformInstalled = WaylandPlatformInstalled(),
    });
    std::fprintf(stderr, "stockpicker: %s\n", advice.c_str());
    std::_Exit(1);
}

// Qt warns that the display connection broke just before it ends the process
// itself: with exit(1) on X11, after which Xlib may print lines of its own,
// or _exit(1) on Wayland. End it here with one line and the same status;
// exit's handlers would only tear down what the process is leaving anyway.
void ExitOnDisplayLoss(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg
        && (message.startsWith(u"The X11 connection broke") || message.startsWith(u"The Wayland connection"))) {
        // Qt's Wayland platform may see the loss on its event thread and on
        // the GUI thread at once: the first says so, the other waits for the end.
        static std::atomic_flag told;
        if (told.test_and_set())
            for (;;)
                ::pause();
        std::fprintf(stderr, "stockpicker: lost the display: %s\n", message.toLocal8Bit().constData());
        std::_Exit(1);
    }
    if (previousHandler != nullptr)
        previousHandler(type, context, message);
}

// The X connection is a socket that Xlib and xcb write to with writev: a
// write after the server has gone would end the process with SIGPIPE before
// Qt sees the broken connection and the program says so. With the signal
// caught the write fails instead, and Qt goes on to report it. A handler,
// unlike ignoring the signal, is not passed on to programs started from here.
void CatchBrokenPipes() noexcept
{
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGPIPE, &action, nullptr);
}

}  // namespace

// Deliberately never deleted, so that no static destructor tears widgets
// down: Qt's xcb plugin calls exit(1) from inside the event loop when the
// display connection breaks, with a modal box perhaps still on a stack that
// exit never unwinds and Qt's own statics already gone. Everything it holds
// stays reachable from here, so leak checkers do not count it.
TApplication* Application = new TApplication;

TApplication::TApplication() : TComponent(nullptr), qt_(std::make_unique<QtState>()) {}

TApplication::~TApplication()
{
    Finalize();
}

void TApplication::Initialize()
{
    if (qt_->app)
        return;
    CatchBrokenPipes();
    previousHandler = qInstallMessageHandler(ExitOnFatal);
    qt_->app = std::make_unique<QApplication>(qt_->argc, qt_->argv);
    qInstallMessageHandler(ExitOnDisplayLoss);
    QApplication::setQuitOnLastWindowClosed(false);
    qt_->app->installEventFilter(&qt_->staleInput);
    qt_->OpenWake(*this);
    // Chosen now, so that a character set iconv does not know is said once,
    // at start, and not in the middle of painting.
    DisplayCharset();
}

void TApplication::Finalize() noexcept
{
    // Forms and their widgets go before the QApplication they need.
    DestroyComponents();
    mainForm_ = nullptr;
    while (std::optional<ReportQueue::Entry> entry = qt_->pending.Pop())
        WriteToStderr(entry->error);
    qt_->CloseWake();
    qt_->app.reset();
    if (previousHandler != nullptr)
        qInstallMessageHandler(previousHandler);
}

void TApplication::AdoptForm(std::unique_ptr<TForm> form)
{
    TForm* adopted = form.get();
    InsertComponent(std::move(form));
    if (mainForm_ == nullptr) {
        mainForm_ = adopted;
        mainForm_->SetMainForm();
    }
}

void TApplication::Run()
{
    if (mainForm_ == nullptr || !qt_->app)
        return;
    mainForm_->Show();
    QApplication::exec();
    Finalize();
}

void TApplication::BeginBusy() noexcept
{
    if (qt_->busyDepth++ > 0 || !qt_->app)
        return;
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } catch (...) {
        // Only the cursor is missing: the work goes on.
    }
}

void TApplication::EndBusy() noexcept
{
    if (--qt_->busyDepth > 0 || !qt_->app)
        return;
    qt_->staleInput.DropUpToNow();
    try {
        if (QApplication::overrideCursor() != nullptr)
            QApplication::restoreOverrideCursor();
    } catch (...) {
    }
}

void TApplication::ShowException(const std::exception& E) noexcept
{
    try {
        const std::string message = ExceptionMessage(E);
        if (!qt_->app) {
            std::fprintf(stderr, "stockpicker: %s\n", message.c_str());
            return;
        }
        QWidget* parent = mainForm_ != nullptr ? mainForm_->Widget() : nullptr;
        QMessageBox box(QMessageBox::Critical, QStringLiteral("stockpicker"), DecodedText(message), QMessageBox::Ok, parent);
        box.exec();
    } catch (...) {
        std::fprintf(stderr, "stockpicker: %s\n", MessageText(E));
    }
}

void TApplication::HandleException(TObject* Sender) noexcept
{
    const std::exception_ptr error = std::current_exception();
    if (qt_->wake == nullptr) {
        // No event loop to come back to.
        Report(Sender, error);
        return;
    }
    if (!qt_->pending.Push(Sender, error)) {
        WriteToStderr(error);
        return;
    }
    // Reported from the event loop, not from inside a paint or a click. A
    // failed write leaves the counter set, so the loop still wakes.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(qt_->wakeFd, &one, sizeof one);
}

void TApplication::ReportPending() noexcept
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(qt_->wakeFd, &count, sizeof count);
    // One report at a time: those that come while an error box is up wait
    // until it is closed, instead of stacking boxes on top of it.
    if (qt_->reporting)
        return;
    qt_->reporting = true;
    while (std::optional<ReportQueue::Entry> entry = qt_->pending.Pop())
        Report(entry->sender, entry->error);
    qt_->reporting = false;
}

void TApplication::Report(TObject* Sender, const std::exception_ptr& error) noexcept
{
    try {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            if (OnException)
                OnException(Sender, e);
            else
                ShowException(e);
        } catch (...) {
            const Exception unknown("unknown error");
            if (OnException)
                OnException(Sender, unknown);
            else
                ShowException(unknown);
        }
    } catch (...) {
        // The report itself failed, most likely for lack of memory.
        WriteToStderr(error);
    }
}

void HandleEventException(TObject* Sender)
{
    Application->HandleException(Sender);
}
