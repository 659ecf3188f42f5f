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

bool HostTerminal::open(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    return adopt(
        Common::UniqueFd(::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)),
        path);
}

bool HostTerminal::openPseudoTerminal()
{
    Common::UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!master.valid() || ::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0)
        return false;
    const QString device = QString::fromLocal8Bit(::ptsname(master.get()));
    // The tests open the device from an unprivileged child as well.
    ::chmod(QFile::encodeName(device).constData(), 0666);
    return adopt(std::move(master), device);
}

bool HostTerminal::adopt(Common::UniqueFd fd, const QString& devicePath)
{
    fd_ = std::move(fd);
    devicePath_ = devicePath;
    // Bytes pass unchanged in both directions; a FIFO has no line to set.
    termios settings{};
    if (fd_.valid() && ::tcgetattr(fd_.get(), &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(fd_.get(), TCSANOW, &settings);
    }
    return fd_.valid();
}

bool HostTerminal::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    const QDeadlineTimer deadline(5000);
    while (done < bytes.size() && !deadline.hasExpired()) {
        const ssize_t n = ::write(fd(), bytes.constData() + done, bytes.size() - done);
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (n > 0)
            done += n;
        else
            QTest::qWait(1);
    }
    return done == bytes.size();
}

QByteArray HostTerminal::read(int count, int timeoutMs)
{
    QByteArray got;
    const QDeadlineTimer deadline(timeoutMs);
    while (got.size() < count) {
        char buffer[256];
        const ssize_t n = ::read(fd(), buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, n);
            continue;
        }
        if (n == 0 || (n < 0 && errno == EIO) || deadline.hasExpired())
            break; // the other side has gone, or the time is up
        QTest::qWait(1);
    }
    return got;
}

} // namespace SimTest
