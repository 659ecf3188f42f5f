// Raw printing straight to the USB printer's device node (/dev/usb/lpN): the
// jobs are queued here and written as the printer takes them, so an offline
// printer shows as a job that stays pending, as a print queue would show it.

#include "common/unixfd.h"
#include "link/linkfailure.h"
#include "link/portresolver.h"
#include "link/rawprint.h"

#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <deque>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Common {

namespace {

struct PrintJob {
    QByteArray name; // kept with the job for diagnostics; the printer never sees it
    QByteArray bytes;
    qsizetype taken = 0;
};

// A stand-in pipe whose reader has gone must fail the write with EPIPE, not
// end the program: the signal is held back for this thread during the write
// and the one the write raised is taken off again.
ssize_t WriteWithoutSigpipe(int fd, const char* data, size_t size)
{
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const ssize_t n = ::write(fd, data, size);
    const int error = errno;
    if (n < 0 && error == EPIPE) {
        const timespec noWait{};
        sigtimedwait(&pipeSignal, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return n;
}

bool Writable(int fd)
{
    const short events = PollNow(fd, POLLOUT);
    // An error on the node (unplugged) is no taken job either.
    return (events & POLLOUT) && !(events & (POLLERR | POLLHUP));
}

class DeviceNodeRawPrint final : public RawPrintBackend {
public:
    ~DeviceNodeRawPrint() override { releasePort(); }

    std::int16_t setOutputPort(const QByteArray& portName) override;
    void outputData(std::uint32_t reserved, const std::uint8_t* data, std::uint32_t count,
                    const QByteArray& jobName) override;
    std::int16_t enumJobs() override;
    QString lastError() const override { return error_; }
    void releasePort() override;

private:
    bool openDevice();
    // Stops using the device after a failure; the jobs stay pending. May run
    // inside the notifier's own signal, so the notifier is only disabled.
    void dropDevice(int error);
    void writePending();

    QString path_;
    UniqueFd fd_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::deque<PrintJob> jobs_;
    QString error_;
};

// Whether the open device is still the one at the path: a printer unplugged
// and plugged in again gets a new node under the same name, and the old
// descriptor then leads nowhere.
bool StillTheNode(int fd, const QString& path)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

std::int16_t DeviceNodeRawPrint::setOutputPort(const QByteArray& portName)
{
    const QString path = ResolvePortDevice(QString::fromLatin1(portName));
    if (path.isEmpty()) {
        error_ = QStringLiteral("%1 is not a printer port.").arg(QString::fromLatin1(portName));
        return -1;
    }
    if (path == path_ && fd_.valid() && StillTheNode(fd_.get(), path))
        return 0; // still selected: jobs under way carry on
    releasePort();
    path_ = path;
    return openDevice() ? 0 : -1;
}

bool DeviceNodeRawPrint::openDevice()
{
    notifier_.reset();
    // Non-blocking: what the printer does not take at once waits for the
    // notifier, so the window thread never stalls on an offline printer.
    fd_.reset(
        ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd_.valid()) {
        error_ = DeviceErrorText(errno, path_);
        return false;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_.get(), QSocketNotifier::Write);
    notifier_->setEnabled(false);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { writePending(); });
    return true;
}

void DeviceNodeRawPrint::dropDevice(int error)
{
    error_ = DeviceErrorText(error, path_);
    if (notifier_)
        notifier_->setEnabled(false);
    fd_.reset();
}

void DeviceNodeRawPrint::releasePort()
{
    notifier_.reset();
    fd_.reset();
    jobs_.clear();
    path_.clear();
}

void DeviceNodeRawPrint::outputData(std::uint32_t /*reserved*/, const std::uint8_t* data,
                                    std::uint32_t count, const QByteArray& jobName)
{
    if (!data || count == 0)
        return;
    // The device was lost (unplugged, switched off): a job cut off half-way
    // cannot be resumed on the new connection, so only the new one goes.
    if (!fd_.valid() && !path_.isEmpty() && openDevice())
        jobs_.clear();
    const auto size = static_cast<qsizetype>(count);
    jobs_.push_back(PrintJob{jobName, QByteArray(reinterpret_cast<const char*>(data), size)});
    writePending();
}

void DeviceNodeRawPrint::writePending()
{
    while (fd_.valid() && !jobs_.empty()) {
        PrintJob& job = jobs_.front();
        const ssize_t n = WriteWithoutSigpipe(fd_.get(), job.bytes.constData() + job.taken,
                                              static_cast<size_t>(job.bytes.size() - job.taken));
        if (n > 0) {
            job.taken += n;
            if (job.taken == job.bytes.size())
                jobs_.pop_front();
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n == 0 || errno == EAGAIN) {
            notifier_->setEnabled(true); // the printer is busy: carry on when it can take more
            return;
        } else {
            dropDevice(errno);
            return;
        }
    }
    if (notifier_)
        notifier_->setEnabled(false);
}

std::int16_t DeviceNodeRawPrint::enumJobs()
{
    writePending();
    std::size_t pending = jobs_.size();
    // The USB printer driver takes a whole write at once and only then
    // passes it to the printer; until the printer has taken it, the node
    // does not poll writable. So the last job written is still pending.
    if (pending == 0 && fd_.valid() && !Writable(fd_.get()))
        pending = 1;
    pending = std::min<std::size_t>(pending, std::numeric_limits<std::int16_t>::max());
    return static_cast<std::int16_t>(pending);
}

} // namespace

std::unique_ptr<RawPrintBackend> MakeDeviceNodeRawPrintBackend()
{
    return std::make_unique<DeviceNodeRawPrint>();
}

} // namespace Common
