// The virtual COM interface: the printer's USB serial function as a tty.
// As with the port's original calls, the open and the line set-up are not
// checked: a port that could not be opened takes no bytes, which the send
// notices.

#include "common/appsettings.h"
#include "common/waitms.h"
#include "link/hexcommand.h"
#include "link/linkdrivers.h"
#include "link/portresolver.h"
#include "link/virtualcomport.h"

#include <QFile>

namespace Common {

namespace {

// A write that has not gone through by then is abandoned: the time the
// bytes need on the line twice over, plus a second for the device to wake.
std::chrono::milliseconds WriteLimit(qsizetype bytes)
{
    const int baud = std::max(AppSettings.COMBaud * 100, 300);
    const qint64 lineMs = bytes * 10 * 1000 / baud;
    return std::chrono::milliseconds((1000 + 2 * lineMs) * WaitScalePercent() / 100);
}

} // namespace

VirtualComPort& ComHandle()
{
    static VirtualComPort port;
    return port;
}

void OpenVirtualCom()
{
    const QString device = ResolvePortDevice(QStringLiteral("COM%1").arg(AppSettings.COMPort));
    const VirtualComLine line{AppSettings.COMBaud * 100, AppSettings.COMBits,
                              AppSettings.COMParity};
    // An empty name (no such port) simply fails to open, like any other.
    ComHandle().open(QFile::encodeName(device).constData(), line);
}

void CloseVirtualCom()
{
    ComHandle().close();
}

void RenewVirtualCom()
{
    if (ComHandle().isOpen() && !ComHandle().hungUp())
        return;
    CloseVirtualCom();
    OpenVirtualCom();
}

void SendVirtualCom(const QByteArray& bytes)
{
    ReceiveVirtualCom(); // bytes left over from an earlier exchange are no answer to this one
    // A block the device did not take whole (unplugged, never opened, stalled)
    // must not pass for sent: the caller would count a code as written that
    // no printer holds. Silent, as on the other links: the caller reports it.
    if (ComHandle().write(bytes, WriteLimit(bytes.size())) < bytes.size())
        ErrorFlag = true;
}

QString ReceiveVirtualCom()
{
    return BytesToHex(ComHandle().readAvailable(kMaxReplyBytes));
}

} // namespace Common
