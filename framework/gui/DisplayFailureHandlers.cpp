#include "DisplayFailureHandlers.h"

#include "framework/core/Translate.h"
#include "framework/gui/DisplayAdvice.h"

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <signal.h>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

QtMessageHandler previousHandler = nullptr;

void ExitOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        if (previousHandler != nullptr)
            previousHandler(type, context, message);
        return;
    }
    // TRANSLATORS: Qt could start no display, after "stockpicker: ". {0}: Qt's own message, in English.
    const std::string failure = Tr("cannot show a window: {0}", message.toLocal8Bit().constData());
    std::fprintf(stderr, "stockpicker: %s\n", failure.c_str());
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

// What Qt's warning says broke, translated: Qt's own words are English
// whatever the locale. Null for any other warning.
const char* DisplayLoss(const QString& qtWarning)
{
    if (qtWarning.startsWith(u"The X11 connection broke"))
        // TRANSLATORS: after "stockpicker: ", as the program ends: the X server went or dropped the window.
        return Translate("lost the display: the connection to the X server broke");
    if (qtWarning.startsWith(u"The Wayland connection"))
        // TRANSLATORS: after "stockpicker: ", as the program ends: the Wayland compositor went or dropped the window.
        return Translate("lost the display: the connection to the Wayland compositor broke");
    return nullptr;
}

// Qt warns that the display connection broke just before it ends the process
// itself: with exit(1) on X11, after which Xlib may print lines of its own,
// or _exit(1) on Wayland. End it here with one line and the same status;
// exit's handlers would only tear down what the process is leaving anyway.
void ExitOnDisplayLoss(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const char* loss = type == QtWarningMsg ? DisplayLoss(message) : nullptr;
    if (loss == nullptr) {
        if (previousHandler != nullptr)
            previousHandler(type, context, message);
        return;
    }
    // Qt's Wayland platform may see the loss on its event thread and on the
    // GUI thread at once: the first says so, the other waits for the end.
    static std::atomic_flag told;
    if (told.test_and_set())
        for (;;)
            ::pause();
    std::fprintf(stderr, "stockpicker: %s\n", loss);
    std::_Exit(1);
}

}  // namespace

void InstallNoDisplayHandler() noexcept
{
    previousHandler = qInstallMessageHandler(ExitOnFatal);
}

void InstallDisplayLossHandler() noexcept
{
    qInstallMessageHandler(ExitOnDisplayLoss);
}

void RestoreMessageHandler() noexcept
{
    if (previousHandler != nullptr)
        qInstallMessageHandler(previousHandler);
}

void CatchBrokenPipes() noexcept
{
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGPIPE, &action, nullptr);
}
