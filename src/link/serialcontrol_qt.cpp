// The serial control on QSerialPort. QSerialPort keeps its own buffers and
// moves bytes between them and the device only when the event loop runs;
// the link reads its counts without running the loop, so each count first
// pulls from the device what is there without waiting.

#include "link/linkfailure.h"
#include "link/portresolver.h"
#include "link/serialcontrol.h"
#include "link/serialsettings.h"

#include <QSerialPort>
#include <cerrno>
#include <sys/ioctl.h>

namespace Common {

namespace {

class QtSerialControl final : public SerialControl {
public:
    QtSerialControl();
    void setCommPort(int port) override { port_ = port; } // takes effect at the next open
    int commPort() const override { return port_; }
    bool setSettings(const QString& settings) override;
    void setHandshaking(Handshaking handshaking) override;

    // A lost device counts as closed at once, before its close has run.
    bool portOpen() const override { return serial_.isOpen() && !lossPending_; }
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

private:
    QString openFailureText(const QString& device) const;
    void portFailed(QSerialPort::SerialPortError error);
    void pullInput();
    void pushOutput();
    // A zero-time wait that found nothing is not a failure of the port.
    void forgetTimeout();

    QSerialPort serial_;
    int port_ = 1;
    QString error_;
    QString device_; // the device path of the last open
    // Counts the opens, so a close scheduled for a lost device cannot reach
    // the port opened after it.
    int generation_ = 0;
    bool lossPending_ = false;
};

QtSerialControl::QtSerialControl()
{
    QObject::connect(&serial_, &QSerialPort::errorOccurred, &serial_,
                     [this](QSerialPort::SerialPortError error) { portFailed(error); });
}

void QtSerialControl::portFailed(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    if (lossPending_ || !serial_.isOpen())
        return;
    // The device has gone (unplugged, switched off): QSerialPort would go
    // on reporting it on every pass of the event loop. The close waits for
    // the next pass, as the error may come from inside QSerialPort's own
    // reading.
    lossPending_ = true;
    error_ = DeviceErrorText(EIO, device_);
    const int lost = generation_;
    QMetaObject::invokeMethod(
        &serial_,
        [this, lost] {
            if (lost == generation_ && lossPending_)
                close();
        },
        Qt::QueuedConnection);
}

void QtSerialControl::close()
{
    lossPending_ = false;
    serial_.close();
}

bool QtSerialControl::setSettings(const QString& settings)
{
    const std::optional<LineSettings> line = ParseLineSettings(settings);
    if (!line) {
        error_ = QStringLiteral("Invalid line settings \"%1\".").arg(settings);
        return false;
    }
    // QSerialPort keeps these while closed and applies them on open.
    const bool applied = serial_.setBaudRate(line->baudRate) && serial_.setParity(line->parity) &&
                         serial_.setDataBits(line->dataBits) && serial_.setStopBits(line->stopBits);
    if (!applied)
        error_ = serial_.errorString();
    return applied;
}

void QtSerialControl::setHandshaking(Handshaking handshaking)
{
    serial_.setFlowControl(handshaking == Handshaking::XonXoff ? QSerialPort::SoftwareControl
                                                               : QSerialPort::NoFlowControl);
}

bool QtSerialControl::open()
{
    const QString device = ResolvePortDevice(QStringLiteral("COM%1").arg(port_));
    if (device.isEmpty()) {
        error_ = QStringLiteral("COM%1 is not a serial port name.").arg(port_);
        return false;
    }
    // DTR and RTS keep the state the system gives an opened tty (raised), so
    // a printer using DTR/DSR sees the host ready and DSR reads its answer.
    if (serial_.isOpen())
        close(); // a lost device whose close has not run yet
    serial_.setPortName(device);
    device_ = device;
    ++generation_;
    lossPending_ = false;
    if (serial_.open(QIODevice::ReadWrite)) {
        error_.clear();
        return true;
    }
    error_ = openFailureText(device);
    return false;
}

QString QtSerialControl::openFailureText(const QString& device) const
{
    if (const std::optional<QString> problem = PermissionProblem(device))
        return *problem;
    // Refused although we may use the device: another program holds it (its
    // lock file or its exclusive open), which QSerialPort words as a
    // permission error.
    if (serial_.error() == QSerialPort::PermissionError)
        return DeviceErrorText(EBUSY, device);
    return serial_.errorString() + QStringLiteral(": ") + device;
}

void QtSerialControl::forgetTimeout()
{
    if (serial_.error() == QSerialPort::TimeoutError)
        serial_.clearError();
}

void QtSerialControl::pullInput()
{
    if (!serial_.isOpen())
        return;
    serial_.waitForReadyRead(0);
    forgetTimeout();
}

void QtSerialControl::pushOutput()
{
    if (!serial_.isOpen() || serial_.bytesToWrite() == 0)
        return;
    serial_.waitForBytesWritten(0);
    forgetTimeout();
}

int QtSerialControl::inBufferCount()
{
    pullInput();
    return static_cast<int>(serial_.bytesAvailable());
}

int QtSerialControl::outBufferCount()
{
    if (!serial_.isOpen())
        return 0;
    pushOutput();
    // What QSerialPort still holds plus what the driver has not yet sent.
    int queued = 0;
    if (::ioctl(static_cast<int>(serial_.handle()), TIOCOUTQ, &queued) != 0)
        queued = 0;
    return static_cast<int>(serial_.bytesToWrite()) + queued;
}

void QtSerialControl::discardInput()
{
    if (serial_.isOpen())
        serial_.clear(QSerialPort::Input);
}

void QtSerialControl::discardOutput()
{
    if (serial_.isOpen())
        serial_.clear(QSerialPort::Output);
}

bool QtSerialControl::output(const QByteArray& block)
{
    if (serial_.write(block) != block.size()) {
        error_ = serial_.errorString();
        return false;
    }
    pushOutput();
    return true;
}

std::optional<std::uint8_t> QtSerialControl::inputByte()
{
    if (serial_.bytesAvailable() == 0)
        pullInput();
    char byte = 0;
    if (!serial_.getChar(&byte))
        return std::nullopt;
    return static_cast<std::uint8_t>(byte);
}

bool QtSerialControl::dsrHolding()
{
    return serial_.isOpen() && (serial_.pinoutSignals() & QSerialPort::DataSetReadySignal);
}

} // namespace

std::unique_ptr<SerialControl> MakeQtSerialControl()
{
    return std::make_unique<QtSerialControl>();
}

} // namespace Common
