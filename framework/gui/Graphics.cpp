#include "framework/gui/Graphics.h"

#include "CanvasState.h"
#include "QtBridge.h"
#include "framework/gui/TextCodec.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <QWidget>

#include <cassert>

TCanvas::TCanvas() : state_(std::make_unique<State>()) {}

TCanvas::~TCanvas() = default;

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const ByteString& Text)
{
    QPainter* painter = state_->painter;
    assert(painter != nullptr && "TCanvas::TextRect called outside a paint event");
    const QRect rect = QRectOf(Rect);
    painter->save();
    painter->fillRect(rect, state_->brush);
    painter->setClipRect(rect, Qt::IntersectClip);
    painter->setFont(state_->font);
    painter->setPen(state_->text);
    const std::string text = DecodeForDisplay(Text.View());
    const QFontMetrics metrics(state_->font);
    painter->drawText(QPoint(X, Y + metrics.ascent()), QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    painter->restore();
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
