#include "link/hexcommand.h"

namespace Common {

namespace {

int HexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

constexpr char kDigits[] = "0123456789ABCDEF";

} // namespace

std::uint8_t ReadHexPair(const QString& text, int i)
{
    int value = 0;
    for (int k = i; k < i + 2 && k < text.size(); ++k) {
        const int digit = HexDigitValue(text.at(k));
        if (digit < 0)
            break;
        value = value * 16 + digit;
    }
    return static_cast<std::uint8_t>(value);
}

QByteArray HexToBytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size() / 2);
    for (int i = 0; i + 1 < text.size(); i += 2)
        bytes.append(static_cast<char>(ReadHexPair(text, i)));
    return bytes;
}

QString ByteToHex(std::uint8_t byte)
{
    QString out(2, QChar());
    out[0] = QLatin1Char(kDigits[byte >> 4]);
    out[1] = QLatin1Char(kDigits[byte & 0x0F]);
    return out;
}

QString BytesToHex(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size() * 2);
    for (char b : bytes)
        out += ByteToHex(static_cast<std::uint8_t>(b));
    return out;
}

QString TextToHex(const QString& text)
{
    QString out;
    out.reserve(text.size() * 2);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        out += ByteToHex(u <= 0xFF ? static_cast<std::uint8_t>(u) : std::uint8_t{'?'});
    }
    return out;
}

QString HexToText(const QString& hex)
{
    QString out;
    out.reserve(hex.size() / 2);
    for (int i = 0; i + 1 < hex.size(); i += 2) {
        const std::uint8_t b = ReadHexPair(hex, i);
        out += (b >= 0x20 && b <= 0x7E) ? QChar(b) : QChar(u'?');
    }
    return out;
}

bool IsModelIdReply(const QString& reply, std::uint8_t modelId)
{
    return reply.size() == 2 && ReadHexPair(reply, 0) == modelId;
}

} // namespace Common
