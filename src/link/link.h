#pragma once
// The printer link: opening, closing, sending and receiving on the interface
// selected in AppSettings. Results go through ErrorFlag; failures the system
// raises are shown in a message box ("Port ERROR!", "Print ERROR!",
// "Receive ERROR!").

#include "link/serialcontrol.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QTcpSocket;

namespace Common {

void OpenPort();
void ClosePort();
// Keep-open mode (PortOpen): opens the port again where the device it held
// has gone since (unplugged and plugged in again), so that the operation
// reaches the printer that is there now. Does nothing to a port in order.
void RenewKeptPort();
void SendData(const QString& hexCommand);
QString ReceiveData();

// Parallel port registers and handshakes (LPTAddress + offset).
std::uint8_t ReadLptRegister(std::uint16_t offset);
void WriteLptRegister(std::uint16_t offset, std::uint8_t value);
bool LptNotReady();
void SendLptByte(std::uint8_t value);
bool NegotiateNibbleMode();
QString ReadNibbleData();
void TerminateNibbleMode();
bool LptAckLow();

// The main window's serial control (MSComm) and socket (Winsock).
SerialControl& MSComm();
QTcpSocket& Winsock();
// Replaces the serial control (nullptr restores QSerialPort).
void SetSerialControl(std::unique_ptr<SerialControl> control);

// The main window's port-condition timer: OpenPort switches it on for the
// serial and parallel interfaces, ClosePort off. The main window registers
// the switch; without one nothing happens.
void SetPortCheckSwitch(std::function<void(bool)> enable);
void EnablePortCheck(bool enable);

// Closes whatever the link holds, whatever ActiveInterface says (exit, tests).
void ReleaseLink();

} // namespace Common
