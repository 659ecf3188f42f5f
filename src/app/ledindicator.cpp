#include "app/ledindicator.h"

#include "common/wincolour.h"

#include <QPainter>
#include <QRadialGradient>

namespace Common {

LedIndicator::LedIndicator(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void LedIndicator::setForeColor(std::uint32_t value)
{
    if (value == foreColor_)
        return;
    foreColor_ = value;
    update();
}

QSize LedIndicator::sizeHint() const
{
    return {18, 18};
}

void LedIndicator::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height()) - 2;
    const QRectF lamp((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    // A highlight towards the upper left makes the lamp read as lit glass.
    const QColor colour = FromWinColour(foreColor_);
    QRadialGradient glass(lamp.center() - QPointF(side / 5.0, side / 5.0), side / 1.5);
    glass.setColorAt(0.0, colour.lighter(160));
    glass.setColorAt(1.0, colour);
    painter.setBrush(glass);
    painter.setPen(QPen(palette().color(QPalette::Dark), 1));
    painter.drawEllipse(lamp);
}

} // namespace Common
