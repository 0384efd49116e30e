#include "framework/gui/Graphics.h"

#include "CanvasState.h"
#include "framework/gui/TextCodec.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include <cassert>

TCanvas::TCanvas() : state_(std::make_unique<CanvasState>()) {}

TCanvas::~TCanvas() = default;

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const ByteString& Text)
{
    QPainter* painter = state_->painter;
    assert(painter != nullptr && "TCanvas::TextRect called outside a paint event");
    const QRect rect(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
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
