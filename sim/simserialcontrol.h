#pragma once
// A serial communications control wired to the simulated printer, for the
// Serial interface without a serial port.
//
// Output drains to the printer at the line rate of the settings text; with
// XON/XOFF handshaking it waits while the printer takes nothing (as after
// XOFF), without handshaking the printer simply loses those bytes. What the
// printer transmits lands in the input buffer. DSR follows the printer's
// ready line. Time is the printer's clock, so nothing here needs an event
// loop: every call brings the line up to date first.

#include "simprinter.h"

#include "link/serialcontrol.h"

#include <memory>

namespace Sim {

class SimSerialControl : public Common::SerialControl {
public:
    explicit SimSerialControl(std::shared_ptr<SimPrinter> printer);

    void setCommPort(int port) override { port_ = port; }
    int commPort() const override { return port_; }
    bool setSettings(const QString& settings) override;
    void setHandshaking(Common::Handshaking handshaking) override { handshaking_ = handshaking; }

    bool portOpen() const override { return open_; }
    bool open() override;
    void close() override;

    int inBufferCount() override;
    int outBufferCount() override;
    void discardInput() override;
    void discardOutput() override;
    bool output(const QByteArray& block) override;
    std::optional<std::uint8_t> inputByte() override;
    bool dsrHolding() override;

    QString errorString() const override { return error_; }

    // Faults on demand: open() fails with this text (empty: opens).
    void setOpenFailure(const QString& reason) { openFailure_ = reason; }
    // The output never drains (a line stuck by flow control).
    void setOutputStalled(bool stalled) { outputStalled_ = stalled; }

    QString settings() const { return settings_; }
    Common::Handshaking handshaking() const { return handshaking_; }
    SimPrinter& printer() { return *printer_; }

private:
    void pump();
    void drainOutput(qint64 now);

    std::shared_ptr<SimPrinter> printer_;
    int port_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    double charsPerMs_ = 0.96;
    Common::Handshaking handshaking_ = Common::Handshaking::None;
    bool open_ = false;
    QByteArray out_;
    QByteArray in_;
    qint64 lastPumpMs_ = 0;
    double lineCredit_ = 0; // characters the line could have sent since the last pump
    QString openFailure_;
    bool outputStalled_ = false;
    QString error_;
};

} // namespace Sim
