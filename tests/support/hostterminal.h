#pragma once
// One end of a terminal or FIFO in tests, raw and non-blocking, written and
// read while the event loop runs, so that a simulated printer in the same
// process (or a child process's output) gets its turn. Either an existing
// device opened (a FIFO read and written both), or a new pseudo-terminal
// whose master this is: the program opens devicePath() as its port and the
// test plays the printer here.

#include <QByteArray>
#include <QString>

namespace SimTest {

class HostTerminal {
public:
    HostTerminal() = default;
    ~HostTerminal();
    HostTerminal(const HostTerminal&) = delete;
    HostTerminal& operator=(const HostTerminal&) = delete;

    bool open(const QString& path);
    // A new pseudo-terminal; its device may be opened by any user.
    bool openPseudoTerminal();
    // Closing the master is the printer unplugged: the device sees a hang-up.
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // The path opened, or the pseudo-terminal's device.
    QString devicePath() const { return devicePath_; }
    // True when every byte was written.
    bool write(const QByteArray& bytes);
    // Reads until count bytes have come or timeoutMs has passed.
    QByteArray read(int count, int timeoutMs);
    // Whatever arrives within ms.
    QByteArray readFor(int ms);
    // errno of the last failed open, read or write (0 when none).
    int lastError() const { return lastError_; }

private:
    bool adopt(int fd, const QString& devicePath);

    int fd_ = -1;
    int lastError_ = 0;
    QString devicePath_;
};

} // namespace SimTest
