#pragma once
// The host's end of a terminal device in tests: opened raw and non-blocking,
// written and read while the event loop runs, so that a simulated printer in
// the same process (or a child process's output) gets its turn.

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
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // True when every byte was written.
    bool write(const QByteArray& bytes);
    // Reads until count bytes have come or timeoutMs has passed.
    QByteArray read(int count, int timeoutMs);
    // Whatever arrives within ms.
    QByteArray readFor(int ms);
    // errno of the last failed read or write (0 when none).
    int lastError() const { return lastError_; }

private:
    int fd_ = -1;
    int lastError_ = 0;
};

} // namespace SimTest
