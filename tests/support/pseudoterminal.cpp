#include "pseudoterminal.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        closeMaster();
        return;
    }
    slavePath_ = QString::fromLocal8Bit(::ptsname(master_));
    // The master side passes bytes unchanged in both directions.
    termios tio{};
    if (::tcgetattr(master_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(master_, TCSANOW, &tio);
    }
    // Tests open the slave from an unprivileged child as well.
    ::chmod(QFile::encodeName(slavePath_).constData(), 0666);
}

PseudoTerminal::~PseudoTerminal()
{
    closeMaster();
}

bool PseudoTerminal::send(const QByteArray& bytes)
{
    return master_ >= 0 &&
           ::write(master_, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
}

QByteArray PseudoTerminal::receive(int timeoutMs)
{
    QByteArray data;
    pollfd ready{master_, POLLIN, 0};
    if (master_ < 0 || ::poll(&ready, 1, timeoutMs) <= 0)
        return data;
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0)
            break;
        data.append(chunk, n);
    }
    return data;
}

void PseudoTerminal::closeMaster()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}
