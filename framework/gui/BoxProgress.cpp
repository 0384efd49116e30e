#include "BoxProgress.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <QWidget>

void PaintProgress(QStylePainter& painter, const QWidget& box, const QRect& field, const BoxProgress& progress)
{
    QStyleOptionProgressBar bar;
    bar.initFrom(&box);
    bar.rect = field;
    bar.minimum = 0;
    bar.maximum = 100;
    bar.progress = progress.percent;
    bar.text = progress.text;
    bar.textVisible = true;
    bar.textAlignment = Qt::AlignCenter;
    bar.state |= QStyle::State_Horizontal;
    painter.drawControl(QStyle::CE_ProgressBar, bar);
}
