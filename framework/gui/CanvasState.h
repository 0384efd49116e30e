#pragma once

#include <QColor>
#include <QFont>

class QPainter;

// What a TCanvas paints with; the framework sets it before each owner-draw call.
struct CanvasState {
    QPainter* painter = nullptr;
    QColor brush;
    QColor text;
    QFont font;
};
