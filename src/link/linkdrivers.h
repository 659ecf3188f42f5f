#pragma once
// The link's work on each interface, behind the dispatch in link.cpp. A
// driver returns a LinkFailure for what the system raised; link.cpp shows it
// under the operation's title. Silent failures go to ErrorFlag here.

#include "link/linkfailure.h"

#include <QByteArray>
#include <QString>

namespace Common {

// A reply larger than this is cut: a device that never stops sending must
// not keep the window thread in a read loop. Printer replies are far smaller.
constexpr int kMaxReplyBytes = 64 * 1024;

// Serial port through MSComm.
LinkOutcome OpenSerialPort();
void CloseSerialPort();
LinkOutcome SendSerial(const QByteArray& bytes);
LinkOutcome ReceiveSerial(QString& reply);
// The control's line settings text for the settings record, e.g. "19200,n,8,1".
QString SerialSettingsText();

// Parallel port by direct register access. Opening only checks that the
// port can be claimed.
LinkOutcome OpenParallel();
void SendParallel(const QByteArray& bytes);
QString ReceiveParallel();

// Virtual COM port through the tty device.
void OpenVirtualCom();
void CloseVirtualCom();
// Opens the port again when the device it held has gone.
void RenewVirtualCom();
void SendVirtualCom(const QByteArray& bytes);
QString ReceiveVirtualCom();

// USB printer port through the raw-printing backend.
LinkOutcome OpenUsb();
void SendUsb(const QByteArray& bytes);
QByteArray UsbPortName();

// LAN through the socket.
LinkOutcome OpenLan();
void CloseLan();

} // namespace Common
