#include "framework/gui/Application.h"

#include "DisplayFailureHandlers.h"
#include "ReportQueue.h"
#include "StderrReport.h"
#include "framework/core/Exception.h"
#include "framework/core/TextCodec.h"
#include "framework/core/Translate.h"
#include "framework/gui/DispatchEvent.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <cstdio>
#include <optional>

namespace {

QString DecodedText(const std::string& bytes)
{
    return QString::fromStdString(DecodeForDisplay(bytes));
}

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

    ReportQueue pending;
    bool reporting = false;

    // Qt's own strings (the error box's buttons), from Debian's
    // qt6-translations-l10n; ours come from gettext (Translate).
    QTranslator qtStrings;
};

// Deliberately never deleted, so that no static destructor tears widgets
// down: Qt's xcb plugin calls exit(1) from inside the event loop when the
// display connection breaks, with a modal box perhaps still on a stack that
// exit never unwinds and Qt's own statics already gone. Everything it holds
// stays reachable from here, so leak checkers do not count it.
TApplication* Application = new TApplication;

TApplication::TApplication() : TComponent(nullptr), qt_(std::make_unique<QtState>()) {}

// Defined here, where QtState is complete; it never runs.
TApplication::~TApplication() = default;

void TApplication::Initialize()
{
    if (qt_->app)
        return;
    CatchBrokenPipes();
    InstallNoDisplayHandler();
    qt_->app = std::make_unique<QApplication>(qt_->argc, qt_->argv);
    InstallDisplayLossHandler();
    // Missing for the locale, or not installed: Qt's strings stay English.
    if (qt_->qtStrings.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qt_->qtStrings);
    QApplication::setQuitOnLastWindowClosed(false);
    qt_->pending.Open([this] { ReportPending(); });
    // Chosen now, so that a character set iconv does not know is said once,
    // at start, and not in the middle of painting.
    DisplayCharset();
}

void TApplication::Finalize() noexcept
{
    // Forms and their widgets go before the QApplication they need.
    DestroyComponents();
    mainForm_ = nullptr;
    qt_->pending.Close();
    qt_->app.reset();
    RestoreMessageHandler();
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

void TApplication::ShowException(const std::exception& E) noexcept
{
    try {
        const std::string message = ExceptionMessage(E);
        if (!qt_->app) {
            std::fprintf(stderr, "stockpicker: %s\n", message.c_str());
            return;
        }
        QWidget* parent = mainForm_ != nullptr ? mainForm_->Widget() : nullptr;
        QMessageBox box(QMessageBox::Critical, QStringLiteral("stockpicker"), DecodedText(message), QMessageBox::Ok,
                        parent);
        box.exec();
    } catch (...) {
        std::fprintf(stderr, "stockpicker: %s\n", MessageText(E));
    }
}

void TApplication::HandleException(TObject* Sender) noexcept
{
    const std::exception_ptr error = std::current_exception();
    if (!qt_->pending.IsOpen()) {
        // No event loop to come back to.
        Report(Sender, error);
        return;
    }
    // Reported from the event loop, not from inside a paint or a click.
    if (!qt_->pending.Push(Sender, error))
        WriteToStderr(error);
}

void TApplication::ReportPending() noexcept
{
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
            // TRANSLATORS: an error of no known kind, in the error box.
            const Exception unknown(Translate("unknown error"));
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
