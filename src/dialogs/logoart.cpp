#include "dialogs/logoart.h"

#include <QPainter>
#include <QPainterPath>
#include <iterator>

namespace Common {

namespace {

const QColor Ink(0x1f, 0x3a, 0x5f);
const QColor Accent(0x2e, 0x8b, 0x57);
const QColor Paper(0xfa, 0xfa, 0xf5);

// A transparent square canvas with a painter scaled to 100 x 100 units.
class Canvas {
public:
    explicit Canvas(int size) : pixmap_(size, size)
    {
        pixmap_.fill(Qt::transparent);
        painter_.begin(&pixmap_);
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.scale(size / 100.0, size / 100.0);
    }
    QPainter& painter() { return painter_; }
    QPixmap finish()
    {
        painter_.end();
        return pixmap_;
    }

private:
    QPixmap pixmap_;
    QPainter painter_;
};

} // namespace

QPixmap DrawPrinterLogo(int size)
{
    Canvas canvas(size);
    QPainter& p = canvas.painter();
    // The slip leaves the top of the printer, printed lines on it.
    p.setPen(QPen(Ink, 2));
    p.setBrush(Paper);
    p.drawRect(QRectF(30, 8, 40, 42));
    p.setPen(QPen(Ink, 3, Qt::SolidLine, Qt::RoundCap));
    for (int y = 16; y <= 40; y += 8)
        p.drawLine(QLineF(36, y, y == 40 ? 52 : 64, y));
    // The body, with its paper slot and status lamp.
    p.setPen(QPen(Ink, 2));
    p.setBrush(Ink);
    p.drawRoundedRect(QRectF(14, 44, 72, 42), 8, 8);
    p.setBrush(Paper);
    p.drawRect(QRectF(26, 52, 48, 4));
    p.setPen(Qt::NoPen);
    p.setBrush(Accent);
    p.drawEllipse(QPointF(74, 76), 4, 4);
    return canvas.finish();
}

QPixmap DrawTagLogo(int size)
{
    Canvas canvas(size);
    QPainter& p = canvas.painter();
    QPainterPath tag;
    tag.moveTo(10, 30);
    tag.lineTo(30, 14);
    tag.lineTo(90, 14);
    tag.lineTo(90, 86);
    tag.lineTo(30, 86);
    tag.lineTo(10, 70);
    tag.closeSubpath();
    tag.addEllipse(QPointF(24, 50), 5, 5); // the string hole
    p.setPen(QPen(Ink, 2.5));
    p.setBrush(Paper);
    p.drawPath(tag);
    // A bar code of uneven bars.
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    const int widths[] = {3, 1, 2, 1, 3, 2, 1, 1, 3, 1, 2};
    qreal x = 40;
    for (int i = 0; i < int(std::size(widths)); ++i) {
        if (i % 2 == 0)
            p.drawRect(QRectF(x, 28, widths[i] * 1.6, 34));
        x += widths[i] * 1.6 + 1.2;
    }
    p.setBrush(Accent);
    p.drawRect(QRectF(40, 68, 40, 6));
    return canvas.finish();
}

QPixmap DrawMarkLogo(int size)
{
    Canvas canvas(size);
    QPainter& p = canvas.painter();
    p.setPen(QPen(Accent, 6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(50, 50), 42, 42);
    QPainterPath z;
    z.moveTo(30, 30);
    z.lineTo(70, 30);
    z.lineTo(32, 70);
    z.lineTo(70, 70);
    p.setPen(QPen(Ink, 9, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawPath(z);
    return canvas.finish();
}

} // namespace Common
