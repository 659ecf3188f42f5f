#include "common/wincolour.h"

#include <QPalette>
#include <QWidget>

namespace Common {

QColor FromWinColour(std::uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

std::uint32_t ToWinColour(const QColor& colour)
{
    return std::uint32_t(colour.red()) | std::uint32_t(colour.green()) << 8 |
           std::uint32_t(colour.blue()) << 16;
}

namespace {

void SetRoleColour(QWidget* widget, QPalette::ColorRole role, std::uint32_t value)
{
    QPalette palette = widget->palette();
    palette.setColor(role, FromWinColour(value)); // all colour groups at once
    widget->setPalette(palette);
}

} // namespace

void SetForeColor(QWidget* widget, std::uint32_t value)
{
    SetRoleColour(widget, widget->foregroundRole(), value);
}

std::uint32_t ForeColor(const QWidget* widget)
{
    return ToWinColour(widget->palette().color(QPalette::Active, widget->foregroundRole()));
}

void SetBackColor(QWidget* widget, std::uint32_t value)
{
    SetRoleColour(widget, widget->backgroundRole(), value);
}

std::uint32_t BackColor(const QWidget* widget)
{
    return ToWinColour(widget->palette().color(QPalette::Active, widget->backgroundRole()));
}

} // namespace Common
