#include "framework/gui/Graphics.h"

#include "CanvasState.h"
#include "QtBridge.h"
#include "ShownText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <QWidget>

#include <cassert>

TCanvas::TCanvas() : state_(std::make_unique<State>()) {}

TCanvas::~TCanvas() = default;

namespace {

// Saves the painter's state and restores it however the drawing ends.
class SavedPainterState {
public:
    explicit SavedPainterState(QPainter& painter) : painter_(painter) { painter_.save(); }
    SavedPainterState(const SavedPainterState&) = delete;
    SavedPainterState& operator=(const SavedPainterState&) = delete;
    ~SavedPainterState() { painter_.restore(); }

private:
    QPainter& painter_;
};

}  // namespace

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const ByteString& Text)
{
    QPainter* painter = state_->painter;
    assert(painter != nullptr && "TCanvas::TextRect called outside a paint event");
    // Controls show, one fixed width each, instead of a tab stop or nothing.
    const QString text = Shown(Text);
    const QRect rect = QRectOf(Rect);
    const SavedPainterState saved(*painter);
    painter->fillRect(rect, state_->brush);
    painter->setClipRect(rect, Qt::IntersectClip);
    painter->setFont(state_->font);
    painter->setPen(state_->text);
    const QFontMetrics metrics(state_->font);
    painter->drawText(QPoint(X, Y + metrics.ascent()), text);
}

CanvasSession::CanvasSession(TCanvas& canvas, QPainter& painter, const QWidget& widget, bool selected) : canvas_(canvas)
{
    TCanvas::State& state = *canvas.state_;
    const QPalette& palette = widget.palette();
    state.painter = &painter;
    state.brush = palette.color(selected ? QPalette::Highlight : QPalette::Base);
    state.text = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    state.font = widget.font();
}
