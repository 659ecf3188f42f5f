#include "link/serialsettings.h"

#include <QStringList>

namespace Common {

namespace {

std::optional<QSerialPort::Parity> ParseParity(const QString& field)
{
    if (field.size() != 1)
        return std::nullopt;
    switch (field.at(0).toLower().unicode()) {
    case u'n':
        return QSerialPort::NoParity;
    case u'o':
        return QSerialPort::OddParity;
    case u'e':
        return QSerialPort::EvenParity;
    case u'm':
        return QSerialPort::MarkParity;
    case u's':
        return QSerialPort::SpaceParity;
    default:
        return std::nullopt;
    }
}

std::optional<QSerialPort::DataBits> ParseDataBits(const QString& field)
{
    bool ok = false;
    const int bits = field.toInt(&ok);
    if (!ok || bits < 5 || bits > 8)
        return std::nullopt;
    return static_cast<QSerialPort::DataBits>(bits);
}

std::optional<QSerialPort::StopBits> ParseStopBits(const QString& field)
{
    if (field == QLatin1String("1"))
        return QSerialPort::OneStop;
    if (field == QLatin1String("1.5"))
        return QSerialPort::OneAndHalfStop;
    if (field == QLatin1String("2"))
        return QSerialPort::TwoStop;
    return std::nullopt;
}

} // namespace

std::optional<LineSettings> ParseLineSettings(const QString& text)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return std::nullopt;
    bool ok = false;
    const qint32 baud = fields.at(0).trimmed().toInt(&ok);
    const auto parity = ParseParity(fields.at(1).trimmed());
    const auto dataBits = ParseDataBits(fields.at(2).trimmed());
    const auto stopBits = ParseStopBits(fields.at(3).trimmed());
    if (!ok || baud <= 0 || !parity || !dataBits || !stopBits)
        return std::nullopt;
    return LineSettings{baud, *parity, *dataBits, *stopBits};
}

QString FormatLineSettings(std::uint16_t baudHundreds, std::uint8_t parity, std::uint8_t dataBits,
                           std::uint8_t stopBits)
{
    static const char* const letters[] = {"n", "o", "e"};
    const char* letter = parity < 3 ? letters[parity] : letters[0];
    return QStringLiteral("%1,%2,%3,%4")
        .arg(QString::number(baudHundreds) + QStringLiteral("00"), QLatin1String(letter),
             QString::number(dataBits), QString::number(stopBits));
}

} // namespace Common
