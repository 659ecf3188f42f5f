#pragma once
// One end of a terminal or FIFO, raw and non-blocking, read and written while
// the event loop runs: an existing device, or a new pseudo-terminal's master
// whose devicePath() the program opens while the test plays the printer here.

#include "common/unixfd.h"

#include <QByteArray>
#include <QString>

namespace SimTest {

class HostTerminal {
public:
    bool open(const QString& path);
    // A new pseudo-terminal; its device may be opened by any user.
    bool openPseudoTerminal();
    // Closing the master is the printer unplugged: the device sees a hang-up.
    void close() { fd_.reset(); }
    int fd() const { return fd_.get(); }
    // The path opened, or the pseudo-terminal's device.
    QString devicePath() const { return devicePath_; }
    // True when every byte was written.
    bool write(const QByteArray& bytes);
    // Reads until count bytes have come, the other side has gone or
    // timeoutMs has passed.
    QByteArray read(int count, int timeoutMs);
    // Whatever arrives within ms.
    QByteArray readFor(int ms) { return read(1 << 20, ms); }

private:
    bool adopt(Common::UniqueFd fd, const QString& devicePath);

    Common::UniqueFd fd_;
    QString devicePath_;
};

} // namespace SimTest
