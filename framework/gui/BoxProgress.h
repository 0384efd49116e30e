#pragma once

#include <QString>

class QRect;
class QStylePainter;
class QWidget;

// How far a combo box's list has been filled, shown in the box's field in
// place of its item: a bar `percent` full with `text` on it. The box decides
// when it shows; this only paints it.
struct BoxProgress {
    int percent;  // 0 to 100
    QString text;
    friend bool operator==(const BoxProgress&, const BoxProgress&) = default;
};

// Paints `progress` into `field` of `box` as its style paints a progress bar.
void PaintProgress(QStylePainter& painter, const QWidget& box, const QRect& field, const BoxProgress& progress);
