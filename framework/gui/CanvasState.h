#pragma once

#include "framework/gui/Graphics.h"

#include <QColor>
#include <QFont>

class QPainter;
class QWidget;

// What a TCanvas paints with; the painter is set only while a CanvasSession
// holds the canvas.
struct TCanvas::State {
    QPainter* painter = nullptr;
    QColor brush;
    QColor text;
    QFont font;
};

// Loads a TCanvas for one owner-draw call with the painter, the widget's
// font and the colours of an item, selected or not; detaches the painter
// when the call is over, even if it throws.
class CanvasSession {
public:
    CanvasSession(TCanvas& canvas, QPainter& painter, const QWidget& widget, bool selected);
    CanvasSession(const CanvasSession&) = delete;
    CanvasSession& operator=(const CanvasSession&) = delete;
    ~CanvasSession() { canvas_.state_->painter = nullptr; }

private:
    TCanvas& canvas_;
};
