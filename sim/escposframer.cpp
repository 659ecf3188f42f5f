#include "escposframer.h"

#include <QStringList>

#include <algorithm>

namespace Sim {

namespace {

std::uint8_t At(QByteArrayView b, qint64 i)
{
    return static_cast<std::uint8_t>(b[i]);
}

Frame Fixed(QByteArrayView b, qint64 length)
{
    if (b.size() >= length)
        return {Frame::Complete, length};
    return {Frame::NeedMore, length};
}

QString PrefixName(std::uint8_t prefix)
{
    switch (prefix) {
    case kDle:
        return QStringLiteral("DLE");
    case kEsc:
        return QStringLiteral("ESC");
    case kFs:
        return QStringLiteral("FS");
    default:
        return QStringLiteral("GS");
    }
}

// A parameter as the command descriptions write it: decimal below 10,
// hexadecimal with an h above.
QString Number(std::uint8_t value)
{
    if (value < 10)
        return QString::number(value);
    return QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0')) +
           QLatin1Char('h');
}

// A command letter as itself, anything else as a number.
QString Glyph(std::uint8_t value)
{
    if (value > 0x20 && value < 0x7F)
        return QString(QLatin1Char(static_cast<char>(value)));
    return Number(value);
}

QString Printable(QByteArrayView bytes)
{
    QString text;
    for (char c : bytes)
        text += (c >= 0x20 && c < 0x7F) ? QLatin1Char(c) : QLatin1Char('.');
    return text;
}

QString DescribeUserSetup(QByteArrayView b)
{
    QString text = QStringLiteral("GS ( E");
    if (b.size() < 6)
        return text;
    const std::uint8_t fn = At(b, 5);
    text += QStringLiteral(" fn ") + Number(fn);
    const QByteArrayView params = b.sliced(6);
    if (fn == 1 && params == QByteArrayView("IN"))
        text += QStringLiteral(" IN");
    else if (fn == 2 && params == QByteArrayView("OUT"))
        text += QStringLiteral(" OUT");
    else if (fn == 0xF0)
        text += QStringLiteral(" \"%1\"").arg(Printable(params));
    else if (fn == 0xE8) {
        const qsizetype end = params.indexOf('\0');
        text += QStringLiteral(" \"%1\"").arg(Printable(end < 0 ? params : params.first(end)));
    }
    return text;
}

} // namespace

bool IsCommandPrefix(std::uint8_t byte)
{
    return byte == kDle || byte == kEsc || byte == kFs || byte == kGs;
}

Frame FrameCommand(QByteArrayView bytes)
{
    if (bytes.size() < 2)
        return Fixed(bytes, 2);
    if (At(bytes, 0) == kGs && At(bytes, 1) == 'I')
        return Fixed(bytes, 3); // GS I n
    if (At(bytes, 0) == kGs && At(bytes, 1) == '(') {
        // GS ( x pL pH, then pL + 256 * pH bytes (GS ( E: fn and its data).
        if (bytes.size() < 5)
            return Fixed(bytes, 5);
        return Fixed(bytes, 5 + (At(bytes, 3) | (qint64{At(bytes, 4)} << 8)));
    }
    return Fixed(bytes, 2);
}

QString DescribeCommand(QByteArrayView command)
{
    if (command.isEmpty())
        return {};
    const std::uint8_t prefix = At(command, 0);
    if (command.size() < 2)
        return PrefixName(prefix);
    const std::uint8_t letter = At(command, 1);
    if (prefix == kGs && letter == '(' && command.size() > 2 && At(command, 2) == 'E')
        return DescribeUserSetup(command);
    QString text = PrefixName(prefix) + QLatin1Char(' ') + Glyph(letter);
    if (prefix == kGs && letter == 'I' && command.size() > 2)
        text += QLatin1Char(' ') + Number(At(command, 2));
    else if (prefix == kGs && letter == '(' && command.size() > 2)
        text += QLatin1Char(' ') + Glyph(At(command, 2));
    return text;
}

QString HexBytes(QByteArrayView bytes, int max)
{
    QStringList pairs;
    const qsizetype shown = std::min<qsizetype>(bytes.size(), max);
    for (qsizetype i = 0; i < shown; ++i)
        pairs << QStringLiteral("%1").arg(At(bytes, i), 2, 16, QLatin1Char('0')).toUpper();
    if (shown < bytes.size())
        pairs << QStringLiteral("...");
    return pairs.join(QLatin1Char(' '));
}

} // namespace Sim
