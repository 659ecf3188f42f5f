// The serial interface: the printer on a COM port through the serial
// control, ready when it holds DSR.

#include "common/appsettings.h"
#include "common/waitms.h"
#include "link/hexcommand.h"
#include "link/link.h"
#include "link/linkdrivers.h"
#include "link/serialsettings.h"

namespace Common {

namespace {

std::unique_ptr<SerialControl>& InstalledControl()
{
    static std::unique_ptr<SerialControl> control;
    return control;
}

// The control's reason when it has one (the open failed, the device went
// away), else the plain fact.
LinkFailure NotOpen()
{
    const QString reason = MSComm().errorString();
    return LinkFailure{
        reason.isEmpty() ? QStringLiteral("COM%1 is not open.").arg(AppSettings.COMPort) : reason};
}

} // namespace

SerialControl& MSComm()
{
    std::unique_ptr<SerialControl>& control = InstalledControl();
    if (!control)
        control = MakeQtSerialControl();
    return *control;
}

void SetSerialControl(std::unique_ptr<SerialControl> control)
{
    InstalledControl() = std::move(control);
}

QString SerialSettingsText()
{
    return FormatLineSettings(AppSettings.COMBaud, AppSettings.COMParity, AppSettings.COMBits,
                              AppSettings.COMStop);
}

LinkOutcome OpenSerialPort()
{
    SerialControl& comm = MSComm();
    comm.setCommPort(AppSettings.COMPort);
    if (!comm.setSettings(SerialSettingsText()))
        return LinkFailure{comm.errorString()};
    // With DTR/DSR the readiness is judged from DSR before each send, so the
    // control itself holds nothing back.
    comm.setHandshaking(AppSettings.COMFlow == 0 ? Handshaking::None : Handshaking::XonXoff);
    if (!comm.portOpen() && !comm.open())
        return LinkFailure{comm.errorString()};
    comm.discardOutput();
    comm.discardInput();
    return std::nullopt;
}

void CloseSerialPort()
{
    if (InstalledControl() && MSComm().portOpen())
        MSComm().close();
}

LinkOutcome SendSerial(const QByteArray& bytes)
{
    SerialControl& comm = MSComm();
    if (!comm.portOpen())
        return NotOpen();
    comm.discardOutput();
    WaitMs(100);
    comm.discardInput(); // whatever came before the command is no answer to it
    if (!comm.dsrHolding()) {
        ErrorFlag = true; // printer not ready: the caller reports it
        return std::nullopt;
    }
    if (!comm.output(bytes))
        return LinkFailure{comm.errorString()};
    WaitMs(200);
    // A device lost meanwhile has an empty buffer too, but sent nothing.
    if (!comm.portOpen())
        return NotOpen();
    if (comm.outBufferCount() > 0)
        ErrorFlag = true; // the printer is holding the line back
    return std::nullopt;
}

LinkOutcome ReceiveSerial(QString& reply)
{
    SerialControl& comm = MSComm();
    if (!comm.portOpen())
        return NotOpen();
    // Only what has arrived counts; nothing waits for bytes still on the way.
    while (reply.size() < 2 * kMaxReplyBytes && comm.inBufferCount() >= 1) {
        const std::optional<std::uint8_t> byte = comm.inputByte();
        if (!byte)
            break;
        reply += ByteToHex(*byte);
    }
    return std::nullopt;
}

} // namespace Common
