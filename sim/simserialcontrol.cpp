#include "simserialcontrol.h"

#include "link/serialsettings.h"

#include <algorithm>

namespace Sim {

namespace {

// Start bit, data bits, parity bit, stop bits (QSerialPort numbers the data
// and stop bits as themselves, apart from 1.5 stop bits).
double BitsPerCharacter(const Common::LineSettings& line)
{
    const double stopBits =
        line.stopBits == QSerialPort::OneAndHalfStop ? 1.5 : static_cast<int>(line.stopBits);
    return 1 + static_cast<int>(line.dataBits) + (line.parity == QSerialPort::NoParity ? 0 : 1) +
           stopBits;
}

} // namespace

SimSerialControl::SimSerialControl(std::shared_ptr<SimPrinter> printer)
    : printer_(std::move(printer))
{
}

bool SimSerialControl::setSettings(const QString& settings)
{
    const std::optional<Common::LineSettings> line = Common::ParseLineSettings(settings);
    if (!line) {
        error_ = QStringLiteral("Invalid line settings: %1").arg(settings);
        return false;
    }
    charsPerMs_ = line->baudRate / BitsPerCharacter(*line) / 1000.0;
    settings_ = settings;
    return true;
}

bool SimSerialControl::open()
{
    if (open_) {
        error_ = QStringLiteral("Port already open");
        return false;
    }
    if (!openFailure_.isEmpty()) {
        error_ = openFailure_;
        return false;
    }
    open_ = true;
    out_.clear();
    in_.clear();
    lineCredit_ = 0;
    lastPumpMs_ = printer_->nowMs();
    printer_->takeReply(); // what the printer sent while the port was closed is lost
    return true;
}

void SimSerialControl::close()
{
    pump();
    open_ = false;
    out_.clear();
    in_.clear();
}

void SimSerialControl::pump()
{
    if (!open_) {
        printer_->takeReply();
        return;
    }
    const qint64 now = printer_->nowMs();
    drainOutput(now);
    in_ += printer_->takeReply();
}

void SimSerialControl::drainOutput(qint64 now)
{
    lineCredit_ += (now - lastPumpMs_) * charsPerMs_;
    lastPumpMs_ = now;
    if (out_.isEmpty() || outputStalled_) {
        lineCredit_ = 0;
        return;
    }
    const qsizetype onLine = std::min<qsizetype>(out_.size(), static_cast<qsizetype>(lineCredit_));
    lineCredit_ -= onLine;
    qsizetype sent = onLine;
    if (handshaking_ == Common::Handshaking::XonXoff)
        sent = printer_->feed(QByteArrayView(out_).first(onLine)); // held back after XOFF
    else
        printer_->feed(QByteArrayView(out_).first(onLine)); // what it does not take is lost
    out_.remove(0, sent);
    if (out_.isEmpty())
        lineCredit_ = 0;
}

int SimSerialControl::inBufferCount()
{
    pump();
    return static_cast<int>(in_.size());
}

int SimSerialControl::outBufferCount()
{
    pump();
    return static_cast<int>(out_.size());
}

void SimSerialControl::discardInput()
{
    pump();
    in_.clear();
}

void SimSerialControl::discardOutput()
{
    pump();
    out_.clear();
}

bool SimSerialControl::output(const QByteArray& block)
{
    if (!open_) {
        error_ = QStringLiteral("The port is not open");
        return false;
    }
    pump();
    out_ += block;
    return true;
}

std::optional<std::uint8_t> SimSerialControl::inputByte()
{
    pump();
    if (in_.isEmpty())
        return std::nullopt;
    const auto byte = static_cast<std::uint8_t>(in_.front());
    in_.remove(0, 1);
    return byte;
}

bool SimSerialControl::dsrHolding()
{
    pump();
    return open_ && printer_->readyLine();
}

} // namespace Sim
