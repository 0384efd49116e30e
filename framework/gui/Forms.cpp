#include "Forms.h"

#include "Exception.h"
#include "FormWindow.h"
#include "TextCodec.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

QColor ColorOf(TColor color, const QPalette& palette)
{
    switch (color) {
    case TColor::clBtnFace:
        return palette.color(QPalette::Window);
    case TColor::clWindow:
        return palette.color(QPalette::Base);
    case TColor::clWindowText:
        return palette.color(QPalette::WindowText);
    case TColor::clHighlight:
        return palette.color(QPalette::Highlight);
    case TColor::clHighlightText:
        return palette.color(QPalette::HighlightedText);
    case TColor::clBlack:
    case TColor::clWhite:
        break;
    }
    const auto bgr = static_cast<std::uint32_t>(color);
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}

QString DecodedText(const std::string& bytes)
{
    return QString::fromStdString(DecodeForDisplay(bytes));
}

}  // namespace

void FormWindow::SetOuterGeometry(const QRect& outer)
{
    outer_ = outer;
    fittedFrame_ = QSize();
    move(outer.topLeft());
    resize(outer.size());
    FitToFrame();
}

void FormWindow::FitToFrame()
{
    if (!isVisible() || outer_.isNull())
        return;
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    if (frameExtra == fittedFrame_)
        return;
    fittedFrame_ = frameExtra;
    resize(outer_.size() - frameExtra);
    move(outer_.topLeft());
}

bool FormWindow::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
        // The frame's size is known only once the window manager has put it
        // around us, which Qt learns asynchronously.
        FitToFrame();
        break;
    default:
        break;
    }
    return handled;
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (isMain_)
        QCoreApplication::quit();
}

TForm::TForm(TComponent* Owner) : TWinControl(Owner), window_(new FormWindow)
{
    AdoptWidget(window_);
    window_->setAutoFillBackground(true);
}

TForm::~TForm() = default;

void TForm::SetBounds(int Left, int Top, int Width, int Height)
{
    window_->SetOuterGeometry(QRect(Left, Top, Width, Height));
}

TRect TForm::BoundsRect() const
{
    const QRect r = window_->OuterGeometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void TForm::SetCaption(const std::string& caption)
{
    window_->setWindowTitle(QString::fromStdString(caption));
}

std::string TForm::Caption() const
{
    return window_->windowTitle().toStdString();
}

void TForm::SetColor(TColor color)
{
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window, ColorOf(color, palette));
    window_->setPalette(palette);
}

void TForm::SetFont(const TFontLayout& layout)
{
    // fontconfig picks a sans face for a name it does not have.
    QFont font(QString::fromUtf8(layout.Name));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::abs(layout.Height));
    font.setBold(layout.Bold);
    font.setItalic(layout.Italic);
    window_->setFont(font);
    QPalette palette = window_->palette();
    palette.setColor(QPalette::WindowText, ColorOf(layout.Color, palette));
    window_->setPalette(palette);
}

void TForm::Show()
{
    window_->show();
}

void TForm::Close()
{
    window_->close();
}

void TForm::DoCreate()
{
    DispatchEvent(this, [this] {
        if (OnCreate)
            OnCreate(this);
    });
}

void TForm::ApplyTabOrder()
{
    std::vector<TWinControl*> controls;
    for (const auto& component : Components())
        if (auto* control = dynamic_cast<TWinControl*>(component.get()))
            controls.push_back(control);
    std::stable_sort(controls.begin(), controls.end(),
                     [](const TWinControl* a, const TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
    for (std::size_t i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1]->Widget(), controls[i]->Widget());
}

void TForm::SetMainForm() noexcept
{
    window_->SetMainForm(true);
}

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

bool TApplication::Running() const noexcept
{
    return qt_->app != nullptr;
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
