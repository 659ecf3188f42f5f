#pragma once
// The serial line settings text, "<baud>,<parity>,<data bits>,<stop bits>"
// such as "19200,n,8,1" or "115200,e,7,2".

#include <QSerialPort>
#include <QString>
#include <cstdint>
#include <optional>

namespace Common {

struct LineSettings {
    qint32 baudRate = 19200;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// Parity letters n, o, e, m, s in either case; 5 to 8 data bits; 1, 1.5 or 2
// stop bits. Nothing for any other text.
std::optional<LineSettings> ParseLineSettings(const QString& text);

// The text for the settings record's fields: the baud rate held in hundreds,
// parity 0 none, 1 odd, 2 even.
QString FormatLineSettings(std::uint16_t baudHundreds, std::uint8_t parity, std::uint8_t dataBits,
                           std::uint8_t stopBits);

} // namespace Common
