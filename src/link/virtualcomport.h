#pragma once
// The virtual COM port: a tty device (USB CDC, USB-serial adapter) opened
// exclusively and driven with plain reads and writes. Reads never wait;
// writes give up after a time limit instead of blocking.

#include "common/unixfd.h"

#include <QByteArray>
#include <chrono>
#include <termios.h>

namespace Common {

struct VirtualComLine {
    int baudRate = 19200;
    int dataBits = 8;
    int parity = 0; // 0 none, 1 odd, 2 even
};

// The tty settings for the line, starting from the device's current ones:
// raw bytes, one stop bit, no flow control, no parity check on input, and
// reads that return at once. A rate the tty cannot take leaves the speed.
termios LineTermios(const termios& current, const VirtualComLine& line);

class VirtualComPort {
public:
    VirtualComPort() = default;
    ~VirtualComPort() { close(); }
    VirtualComPort(const VirtualComPort&) = delete;
    VirtualComPort& operator=(const VirtualComPort&) = delete;

    // Opens the device exclusively, empties both queues and sets the line:
    // raw bytes, one stop bit, no flow control, DTR and RTS low. Returns
    // false when the device could not be opened; lastError() gives errno.
    // Uses system calls only, so it may run in a child process after fork.
    bool open(const char* devicePath, const VirtualComLine& line);
    void close();
    bool isOpen() const { return fd_.valid(); }
    // The device went away while open (unplugged, its far end closed): the
    // descriptor leads nowhere, even when a new device of that name appears.
    bool hungUp() const;
    int lastError() const { return error_; }

    // Takes up to maxBytes that are waiting, without waiting for more.
    QByteArray readAvailable(int maxBytes);
    // Writes the block; returns the count the device took, which is less
    // when it failed or stopped taking bytes for longer than limit.
    qsizetype write(const QByteArray& bytes, std::chrono::milliseconds limit);

private:
    void configure(const VirtualComLine& line);

    UniqueFd fd_;
    int error_ = 0;
};

// The port of the VirtualCom interface, from OpenPort to ClosePort.
VirtualComPort& ComHandle();

} // namespace Common
