#include "framework/gui/Application.h"

#include "framework/core/Exception.h"
#include "framework/gui/DispatchEvent.h"
#include "framework/gui/TextCodec.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <new>

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
    if (dynamic_cast<const std::bad_alloc*>(&E) != nullptr)
        return "Out of memory";
    return E.what();
}

struct TApplication::QtState {
    int argc = 1;
    char programName[16] = "stockpicker";
    char* argv[2] = {programName, nullptr};
    std::unique_ptr<QApplication> app;
};

namespace {

TApplication theApplication;

QtMessageHandler previousHandler = nullptr;

// Qt ends the process with abort() and a core dump when it cannot reach a
// display; say why plainly and exit instead.
void ExitOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        if (previousHandler != nullptr)
            previousHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "stockpicker: cannot show a window: %s\n", message.toLocal8Bit().constData());
    std::_Exit(1);
}

}  // namespace

TApplication* Application = &theApplication;

TApplication::TApplication() : TComponent(nullptr), qt_(std::make_unique<QtState>()) {}

TApplication::~TApplication()
{
    Finalize();
}

void TApplication::Initialize()
{
    if (qt_->app)
        return;
    previousHandler = qInstallMessageHandler(ExitOnFatal);
    qt_->app = std::make_unique<QApplication>(qt_->argc, qt_->argv);
    qInstallMessageHandler(previousHandler);
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own statics die before a static object made earlier than them, so
    // a program that leaves main without Run or Finalize shuts down here.
    std::atexit([] { Application->Finalize(); });
}

void TApplication::Finalize() noexcept
{
    // Forms and their widgets go before the QApplication they need.
    DestroyComponents();
    mainForm_ = nullptr;
    qt_->app.reset();
}

void TApplication::AdoptForm(std::unique_ptr<TForm> form)
{
    if (mainForm_ == nullptr) {
        mainForm_ = form.get();
        mainForm_->SetMainForm();
    }
    InsertComponent(std::move(form));
}

void TApplication::Run()
{
    if (mainForm_ == nullptr || !qt_->app)
        return;
    mainForm_->Show();
    QApplication::exec();
    Finalize();
}

void TApplication::ShowException(const std::exception& E)
{
    const std::string message = ExceptionMessage(E);
    if (!qt_->app) {
        std::fprintf(stderr, "stockpicker: %s\n", message.c_str());
        return;
    }
    QWidget* parent = mainForm_ != nullptr ? mainForm_->Widget() : nullptr;
    QMessageBox box(QMessageBox::Critical, QStringLiteral("stockpicker"), DecodedText(message), QMessageBox::Ok, parent);
    box.exec();
}

void TApplication::HandleException(TObject* Sender)
{
    std::exception_ptr error = std::current_exception();
    if (!qt_->app) {
        Report(Sender, error);
        return;
    }
    // Reported from the event loop, not from inside a paint or a click.
    QTimer::singleShot(0, qt_->app.get(), [this, Sender, error] { Report(Sender, error); });
}

void TApplication::Report(TObject* Sender, std::exception_ptr error)
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
        std::fputs("stockpicker: an error occurred and could not be reported\n", stderr);
    }
}

void HandleEventException(TObject* Sender)
{
    Application->HandleException(Sender);
}
