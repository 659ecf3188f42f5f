#include "link/link.h"

#include "common/appsettings.h"
#include "link/hexcommand.h"
#include "link/linkdrivers.h"
#include "link/rawprint.h"

namespace Common {

namespace {

std::function<void(bool)>& PortCheckSwitch()
{
    static std::function<void(bool)> enable;
    return enable;
}

} // namespace

void SetPortCheckSwitch(std::function<void(bool)> enable)
{
    PortCheckSwitch() = std::move(enable);
}

void EnablePortCheck(bool enable)
{
    if (PortCheckSwitch())
        PortCheckSwitch()(enable);
}

void OpenPort()
{
    switch (AppSettings.Interface) {
    case Serial:
        if (const LinkOutcome failure = OpenSerialPort())
            ReportPortFailure(failure->description);
        else
            EnablePortCheck(true);
        break;
    case Parallel:
        // Nothing to open: the registers were made reachable at start-up.
        if (const LinkOutcome failure = OpenParallel())
            ReportPortFailure(failure->description);
        EnablePortCheck(true);
        break;
    case USB:
        if (const LinkOutcome failure = OpenUsb())
            ReportPortFailure(failure->description);
        break;
    case LAN:
        if (const LinkOutcome failure = OpenLan())
            ReportPortFailure(failure->description);
        break;
    case VirtualCom:
        OpenVirtualCom();
        break;
    default: // WindowsDriver: output through the installed printer is not the link's
        break;
    }
}

void RenewKeptPort()
{
    switch (AppSettings.Interface) {
    case Serial:
        // The serial control closes a device that has gone.
        if (!MSComm().portOpen())
            OpenPort();
        break;
    case USB:
        OpenPort(); // selects the node again only when it is not the one held
        break;
    case VirtualCom:
        RenewVirtualCom();
        break;
    default: // Parallel, LAN and WindowsDriver hold nothing that can go stale
        break;
    }
}

void ClosePort()
{
    EnablePortCheck(false);
    // The port to release is the one last put into effect, which may differ
    // from the interface the operator has just chosen.
    switch (AppSettings.ActiveInterface) {
    case Serial:
        CloseSerialPort();
        break;
    case LAN:
        CloseLan();
        break;
    case VirtualCom:
        CloseVirtualCom();
        break;
    case USB:
        // Other print software may use the printer between operations.
        ActiveRawPrintBackend().releasePort();
        break;
    default: // Parallel, WindowsDriver and none yet hold nothing
        break;
    }
}

void SendData(const QString& hexCommand)
{
    const QByteArray bytes = HexToBytes(hexCommand);
    switch (AppSettings.Interface) {
    case Serial:
        if (const LinkOutcome failure = SendSerial(bytes))
            ReportPrintFailure(failure->description);
        break;
    case Parallel:
        SendParallel(bytes);
        break;
    case USB:
        SendUsb(bytes);
        break;
    case VirtualCom:
        SendVirtualCom(bytes);
        break;
    default: // LAN and WindowsDriver carry no data
        break;
    }
}

QString ReceiveData()
{
    QString reply;
    switch (AppSettings.Interface) {
    case Serial:
        if (const LinkOutcome failure = ReceiveSerial(reply)) {
            ReportReceiveFailure(failure->description);
            reply.clear();
        }
        break;
    case Parallel:
        reply = ReceiveParallel();
        break;
    case VirtualCom:
        reply = ReceiveVirtualCom();
        break;
    default: // USB, LAN and WindowsDriver bring nothing back
        break;
    }
    return reply;
}

void ReleaseLink()
{
    EnablePortCheck(false);
    CloseSerialPort();
    CloseLan();
    CloseVirtualCom();
    ActiveRawPrintBackend().releasePort();
}

} // namespace Common
