#pragma once
// The serial communications control used by the Serial interface: the
// operations the link needs and nothing more. The real control is
// QSerialPort on the device the port resolver gives for COM<n>; tests and
// the simulated printer provide their own.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace Common {

enum class Handshaking { None, XonXoff };

class SerialControl {
public:
    virtual ~SerialControl() = default;

    virtual void setCommPort(int port) = 0;
    virtual int commPort() const = 0;
    // Line settings text such as "19200,n,8,1". False with errorString() for
    // a text the control does not accept.
    virtual bool setSettings(const QString& settings) = 0;
    virtual void setHandshaking(Handshaking handshaking) = 0;

    virtual bool portOpen() const = 0;
    // Opens the port; false with errorString() naming the system's reason.
    virtual bool open() = 0;
    virtual void close() = 0;

    virtual int inBufferCount() = 0;
    virtual int outBufferCount() = 0;
    virtual void discardInput() = 0;
    virtual void discardOutput() = 0;
    // Hands the whole block to the output; false with errorString() on failure.
    virtual bool output(const QByteArray& block) = 0;
    // Takes one received byte, if there is one.
    virtual std::optional<std::uint8_t> inputByte() = 0;
    virtual bool dsrHolding() = 0;

    virtual QString errorString() const = 0;
};

std::unique_ptr<SerialControl> MakeQtSerialControl();

} // namespace Common
