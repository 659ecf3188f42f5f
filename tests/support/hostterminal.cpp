#include "hostterminal.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace SimTest {

HostTerminal::~HostTerminal()
{
    close();
}

bool HostTerminal::open(const QString& path)
{
    close();
    return adopt(
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC),
        path);
}

bool HostTerminal::openPseudoTerminal()
{
    close();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master >= 0 && (::grantpt(master) != 0 || ::unlockpt(master) != 0)) {
        ::close(master);
        return adopt(-1, {});
    }
    if (!adopt(master, master >= 0 ? QString::fromLocal8Bit(::ptsname(master)) : QString()))
        return false;
    // The tests open the device from an unprivileged child as well.
    ::chmod(QFile::encodeName(devicePath_).constData(), 0666);
    return true;
}

bool HostTerminal::adopt(int fd, const QString& devicePath)
{
    fd_ = fd;
    devicePath_ = devicePath;
    if (fd_ < 0) {
        lastError_ = errno;
        return false;
    }
    // Bytes pass unchanged in both directions; a FIFO has no line to set.
    termios settings{};
    if (::tcgetattr(fd_, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(fd_, TCSANOW, &settings);
    }
    return true;
}

void HostTerminal::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool HostTerminal::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    QDeadlineTimer deadline(5000);
    while (done < bytes.size() && !deadline.hasExpired()) {
        const ssize_t n = ::write(fd_, bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
        } else if (errno == EAGAIN || errno == EINTR) {
            QTest::qWait(1);
        } else {
            lastError_ = errno;
            return false;
        }
    }
    return done == bytes.size();
}

QByteArray HostTerminal::read(int count, int timeoutMs)
{
    QByteArray got;
    QDeadlineTimer deadline(timeoutMs);
    while (got.size() < count) {
        char buffer[256];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            lastError_ = errno;
        if (n == 0 || (n < 0 && errno == EIO))
            break; // the other side has gone
        if (deadline.hasExpired())
            break;
        QTest::qWait(1);
    }
    return got;
}

QByteArray HostTerminal::readFor(int ms)
{
    return read(1 << 20, ms);
}

} // namespace SimTest
