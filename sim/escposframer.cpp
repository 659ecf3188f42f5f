#include "escposframer.h"

#include <QStringList>

#include <string_view>

namespace Sim {

namespace {

std::uint8_t At(QByteArrayView b, qint64 i)
{
    return static_cast<std::uint8_t>(b[i]);
}

// A 16-bit count, low byte first.
qint64 Le16(QByteArrayView b, qint64 i)
{
    return At(b, i) | (qint64{At(b, i + 1)} << 8);
}

Frame Done(qint64 length)
{
    return {Frame::Complete, length};
}

Frame More(qint64 length)
{
    return {Frame::NeedMore, length};
}

Frame Fixed(QByteArrayView b, qint64 length)
{
    return b.size() >= length ? Done(length) : More(length);
}

// A header of headerLength bytes whose last bytes give the length of the body
// that follows it.
template <typename BodyLength>
Frame Headed(QByteArrayView b, qint64 headerLength, BodyLength bodyLength)
{
    if (b.size() < headerLength)
        return More(headerLength);
    return Fixed(b, headerLength + bodyLength(b));
}

// Data from index from up to and including a 00h byte.
Frame NulTerminated(QByteArrayView b, qint64 from)
{
    for (qint64 i = from; i < b.size(); ++i) {
        if (At(b, i) == 0)
            return Done(i + 1);
    }
    return More(std::max(from, b.size()) + 1);
}

// ESC & y c1 c2, then per character: its width x and y * x bytes.
Frame UserCharacters(QByteArrayView b)
{
    if (b.size() < 5)
        return More(5);
    const int y = At(b, 2);
    qint64 end = 5;
    for (int c = At(b, 3); c <= At(b, 4); ++c) {
        if (b.size() < end + 1)
            return More(end + 1);
        end += 1 + qint64{y} * At(b, end);
    }
    return Fixed(b, end);
}

bool In(std::string_view letters, std::uint8_t letter)
{
    return letters.find(static_cast<char>(letter)) != std::string_view::npos;
}

// Commands of a fixed length: the prefix, the letter and n parameters.
Frame ByLetter(QByteArrayView b, std::string_view oneParameter, std::string_view twoParameters)
{
    if (In(oneParameter, At(b, 1)))
        return Fixed(b, 3);
    if (In(twoParameters, At(b, 1)))
        return Fixed(b, 4);
    return Fixed(b, 2);
}

Frame FrameEsc(QByteArrayView b)
{
    switch (At(b, 1)) {
    case '*':
        return Headed(b, 5, [](QByteArrayView h) {
            const int m = At(h, 2);
            return Le16(h, 3) * (m == 0 || m == 1 ? 1 : 3);
        });
    case '&':
        return UserCharacters(b);
    case '(':
        return Headed(b, 5, [](QByteArrayView h) { return Le16(h, 3); });
    case 'D':
        return NulTerminated(b, 2);
    case 'p':
        return Fixed(b, 5);
    case 'W':
        return Fixed(b, 10);
    default:
        return ByLetter(b, "!-3EGJKMRUVadert{ %?=TIuv", "$\\c");
    }
}

Frame FrameGs(QByteArrayView b)
{
    switch (At(b, 1)) {
    case '(':
        return Headed(b, 5, [](QByteArrayView h) { return Le16(h, 3); });
    case '8':
        // GS 8 L p1 p2 p3 p4: a 32-bit count of the bytes after p4.
        return Headed(b, 7, [](QByteArrayView h) {
            qint64 count = 0;
            for (int i = 6; i >= 3; --i)
                count = (count << 8) | At(h, i);
            return count;
        });
    case 'v':
        return Headed(b, 8, [](QByteArrayView h) { return Le16(h, 4) * Le16(h, 6); });
    case '*':
        return Headed(b, 4, [](QByteArrayView h) { return qint64{At(h, 2)} * At(h, 3) * 8; });
    case 'k':
        if (b.size() < 3)
            return More(3);
        if (At(b, 2) <= 6)
            return NulTerminated(b, 3);
        return Headed(b, 4, [](QByteArrayView h) { return qint64{At(h, 3)}; });
    case 'V':
        if (b.size() < 3)
            return More(3);
        return Fixed(b, In("ABabgh", At(b, 2)) ? 4 : 3); // the cuts that feed n first
    case '^':
        return Fixed(b, 5);
    case 'g':
        return Fixed(b, 6);
    default:
        return ByLetter(b, "I!BHETabfhjrw/", "LW\\P$");
    }
}

Frame FrameFs(QByteArrayView b)
{
    switch (At(b, 1)) {
    case '(':
        return Headed(b, 5, [](QByteArrayView h) { return Le16(h, 3); });
    case '2':
        return Fixed(b, 76); // one 24-dot user character: 72 bytes
    default:
        return ByLetter(b, "!-WC", "Sp");
    }
}

Frame FrameDle(QByteArrayView b)
{
    switch (At(b, 1)) {
    case 0x04: // EOT n
    case 0x05: // ENQ n
        return Fixed(b, 3);
    case 0x14: // DC4 fn ...
        if (b.size() < 3)
            return More(3);
        if (At(b, 2) == 7)
            return Fixed(b, 4);
        return Fixed(b, At(b, 2) == 8 ? 10 : 5);
    default:
        return Fixed(b, 2);
    }
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

QString DescribeDle(QByteArrayView b)
{
    QString text = QStringLiteral("DLE ");
    switch (At(b, 1)) {
    case 0x04:
        text += QStringLiteral("EOT");
        break;
    case 0x05:
        text += QStringLiteral("ENQ");
        break;
    case 0x14:
        text += QStringLiteral("DC4");
        break;
    default:
        return text + Number(At(b, 1));
    }
    if (b.size() > 2)
        text += QLatin1Char(' ') + Number(At(b, 2));
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
        return More(2);
    switch (At(bytes, 0)) {
    case kEsc:
        return FrameEsc(bytes);
    case kGs:
        return FrameGs(bytes);
    case kFs:
        return FrameFs(bytes);
    default:
        return FrameDle(bytes);
    }
}

QString DescribeCommand(QByteArrayView command)
{
    if (command.isEmpty())
        return {};
    const std::uint8_t prefix = At(command, 0);
    if (command.size() < 2)
        return PrefixName(prefix);
    if (prefix == kDle)
        return DescribeDle(command);
    const std::uint8_t letter = At(command, 1);
    if (prefix == kGs && letter == '(' && command.size() > 2 && At(command, 2) == 'E')
        return DescribeUserSetup(command);
    QString text = PrefixName(prefix) + QLatin1Char(' ') + Glyph(letter);
    if (prefix == kGs && letter == 'I' && command.size() > 2)
        text += QLatin1Char(' ') + Number(At(command, 2));
    else if (letter == '(' && command.size() > 2)
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
