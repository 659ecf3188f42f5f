#pragma once
// Colours as the program's colour values: red in the low byte, green in the
// second, blue in the third (0000FFh red, 00FF00h green, FF0000h blue, 0
// black). Text boxes and the LED are coloured with these values.

#include <QColor>
#include <cstdint>

class QWidget;

namespace Common {

enum WinColour : std::uint32_t {
    ColourBlack = 0x000000,
    ColourRed = 0x0000FF,
    ColourGreen = 0x00FF00,
    ColourBlue = 0xFF0000,
};

QColor FromWinColour(std::uint32_t value);
std::uint32_t ToWinColour(const QColor& colour);

// Text and background colour of a widget (a text box's text and base), in
// every state of the widget, so a disabled box keeps its colours.
void SetForeColor(QWidget* widget, std::uint32_t value);
std::uint32_t ForeColor(const QWidget* widget);
void SetBackColor(QWidget* widget, std::uint32_t value);
std::uint32_t BackColor(const QWidget* widget);

} // namespace Common
