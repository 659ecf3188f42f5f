// The LAN interface: OpenPort starts the printer's TCP connection and
// ClosePort ends it. No data goes over it yet.

#include "common/appsettings.h"
#include "link/link.h"
#include "link/linkdrivers.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTcpSocket>

namespace Common {

QTcpSocket& Winsock()
{
    static QPointer<QTcpSocket> socket;
    if (!socket)
        socket = new QTcpSocket(QCoreApplication::instance()); // the application owns it
    return *socket;
}

LinkOutcome OpenLan()
{
    QTcpSocket& socket = Winsock();
    socket.abort(); // a connection left from before would refuse a new one
    socket.connectToHost(AppSettings.LANIP, AppSettings.LANPort);
    // The connection completes (or fails) later; only a start refused at once counts.
    if (socket.state() == QAbstractSocket::UnconnectedState)
        return LinkFailure{socket.errorString()};
    return std::nullopt;
}

void CloseLan()
{
    QTcpSocket& socket = Winsock();
    socket.close(); // an orderly end for an established connection
    // One still being made would only be put off until it completes.
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.abort();
}

} // namespace Common
