#include "link/virtualcomport.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace Common {

namespace {

speed_t SpeedCode(int baudRate)
{
    switch (baudRate) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    default:
        return B0; // not a rate the line can take: left as it was
    }
}

tcflag_t SizeFlag(int dataBits)
{
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

} // namespace

bool VirtualComPort::open(const char* devicePath, const VirtualComLine& line)
{
    close();
    // Non-blocking: a read with nothing waiting returns at once with nothing,
    // and a stalled device cannot hold a write for ever.
    fd_.reset(::open(devicePath, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd_.valid()) {
        error_ = errno;
        return false;
    }
    error_ = 0;
    ::ioctl(fd_.get(), TIOCEXCL); // no sharing: others are refused while we hold it
    ::tcflush(fd_.get(), TCIOFLUSH);
    configure(line);
    return true;
}

termios LineTermios(const termios& current, const VirtualComLine& line)
{
    termios tio = current;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | SizeFlag(line.dataBits);
    if (line.parity == 1)
        tio.c_cflag |= PARENB | PARODD;
    else if (line.parity == 2)
        tio.c_cflag |= PARENB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK); // parity is sent, not checked
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (const speed_t speed = SpeedCode(line.baudRate); speed != B0)
        ::cfsetspeed(&tio, speed);
    return tio;
}

void VirtualComPort::configure(const VirtualComLine& line)
{
    termios tio{};
    if (::tcgetattr(fd_.get(), &tio) != 0)
        return; // not a tty: bytes still go through, the line has no settings
    tio = LineTermios(tio, line);
    ::tcsetattr(fd_.get(), TCSANOW, &tio);
    // Modem lines low, as the printer expects of this port; a pseudo-terminal
    // has none and refuses, which changes nothing.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd_.get(), TIOCMBIC, &lines);
}

void VirtualComPort::close()
{
    if (!fd_.valid())
        return;
    // The exclusive mark belongs to the tty, not to this descriptor: left
    // set, it outlives the close and keeps refusing every later opener.
    ::ioctl(fd_.get(), TIOCNXCL);
    fd_.reset();
}

bool VirtualComPort::hungUp() const
{
    return fd_.valid() && (PollNow(fd_.get(), POLLIN) & (POLLHUP | POLLERR | POLLNVAL));
}

QByteArray VirtualComPort::readAvailable(int maxBytes)
{
    QByteArray data;
    char chunk[256];
    while (fd_.valid() && data.size() < maxBytes) {
        const auto wanted = std::min<qsizetype>(sizeof chunk, maxBytes - data.size());
        const ssize_t n = ::read(fd_.get(), chunk, static_cast<size_t>(wanted));
        if (n > 0) {
            data.append(chunk, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            error_ = errno; // device gone: no more bytes will come
        break;
    }
    return data;
}

qsizetype VirtualComPort::write(const QByteArray& bytes, std::chrono::milliseconds limit)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limit;
    qsizetype written = 0;
    while (fd_.valid() && written < bytes.size()) {
        const ssize_t n = ::write(fd_.get(), bytes.constData() + written,
                                  static_cast<size_t>(bytes.size() - written));
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            error_ = errno;
            break;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            error_ = ETIMEDOUT;
            break;
        }
        pollfd ready{fd_.get(), POLLOUT, 0};
        if (::poll(&ready, 1, static_cast<int>(left.count())) > 0 &&
            (ready.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(ready.revents & POLLOUT)) {
            error_ = EIO; // the other end has gone
            break;
        }
    }
    return written;
}

} // namespace Common
