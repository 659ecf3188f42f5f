#include "ptyprinter.h"

#include <QDir>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace Sim {

namespace {

// How often a printer that has stopped taking bytes is asked again, when it
// cannot say for how long.
constexpr int kOfflinePollMs = 20;
constexpr qsizetype kReadChunk = 4096;

bool SetNonBlockingCloseOnExec(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

bool MakeRaw(int fd)
{
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

} // namespace

PtyPrinter::PtyPrinter(std::shared_ptr<SimPrinter> printer, QObject* parent)
    : QObject(parent), printer_(std::move(printer))
{
    resumeTimer_.setSingleShot(true);
    replyTimer_.setSingleShot(true);
    replyTimer_.setTimerType(Qt::PreciseTimer);
    connect(&resumeTimer_, &QTimer::timeout, this, &PtyPrinter::resumeReading);
    connect(&replyTimer_, &QTimer::timeout, this, &PtyPrinter::sendReplies);
}

PtyPrinter::~PtyPrinter()
{
    close();
}

bool PtyPrinter::fail(const QString& what)
{
    error_ = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
    close();
    return false;
}

bool PtyPrinter::open()
{
    close();
    master_.reset(::posix_openpt(O_RDWR | O_NOCTTY));
    if (!master_.valid())
        return fail(QStringLiteral("posix_openpt"));
    if (::grantpt(master_.get()) != 0 || ::unlockpt(master_.get()) != 0)
        return fail(QStringLiteral("grantpt/unlockpt"));
    if (!SetNonBlockingCloseOnExec(master_.get()))
        return fail(QStringLiteral("fcntl"));
    QByteArray name(128, '\0');
    if (::ptsname_r(master_.get(), name.data(), name.size()) != 0)
        return fail(QStringLiteral("ptsname_r"));
    slavePath_ = QString::fromLocal8Bit(name.constData());
    slave_.reset(::open(name.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave_.valid())
        return fail(QStringLiteral("open %1").arg(slavePath_));
    if (!MakeRaw(slave_.get()))
        return fail(QStringLiteral("raw mode on %1").arg(slavePath_));

    readNotifier_ = std::make_unique<QSocketNotifier>(master_.get(), QSocketNotifier::Read);
    connect(readNotifier_.get(), &QSocketNotifier::activated, this, &PtyPrinter::readFromHost);
    writeNotifier_ = std::make_unique<QSocketNotifier>(master_.get(), QSocketNotifier::Write);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_.get(), &QSocketNotifier::activated, this, &PtyPrinter::writeToHost);
    error_.clear();
    return true;
}

void PtyPrinter::close()
{
    releaseTerminal();
    link_.remove();
}

void PtyPrinter::releaseTerminal()
{
    resumeTimer_.stop();
    replyTimer_.stop();
    readNotifier_.reset();
    writeNotifier_.reset();
    master_.reset();
    slave_.reset();
    unfed_.clear();
    unsent_.clear();
}

bool PtyPrinter::linkInto(const QString& folder, const QString& name)
{
    if (!isOpen()) {
        error_ = QStringLiteral("the pseudo-terminal is not open");
        return false;
    }
    return link_.create(slavePath_, QDir(folder).filePath(name), &error_);
}

void PtyPrinter::readFromHost()
{
    if (!unfed_.isEmpty() || !printer_->takingInput()) {
        pauseReading();
        return;
    }
    QByteArray chunk(kReadChunk, Qt::Uninitialized);
    const ssize_t n = ::read(master_.get(), chunk.data(), chunk.size());
    if (n <= 0)
        return; // EAGAIN, EINTR: the notifier comes again
    chunk.truncate(n);
    unfed_ = chunk;
    feedPrinter();
}

void PtyPrinter::feedPrinter()
{
    unfed_.remove(0, printer_->feed(unfed_));
    if (printer_->vanished()) {
        vanish();
        return;
    }
    sendReplies();
    if (!unfed_.isEmpty())
        pauseReading();
}

void PtyPrinter::pauseReading()
{
    if (readNotifier_)
        readNotifier_->setEnabled(false);
    const std::optional<qint64> wait = printer_->msUntilTaking();
    resumeTimer_.start(wait ? static_cast<int>(std::max<qint64>(*wait, 1)) : kOfflinePollMs);
}

void PtyPrinter::resumeReading()
{
    if (!isOpen())
        return;
    if (printer_->vanished()) {
        vanish();
        return;
    }
    if (!printer_->takingInput()) {
        pauseReading();
        return;
    }
    if (!unfed_.isEmpty())
        feedPrinter();
    if (unfed_.isEmpty() && readNotifier_)
        readNotifier_->setEnabled(true);
}

void PtyPrinter::sendReplies()
{
    if (!isOpen())
        return;
    unsent_ += printer_->takeReply();
    writeToHost();
    if (const std::optional<qint64> wait = printer_->msUntilReply())
        replyTimer_.start(static_cast<int>(*wait));
}

void PtyPrinter::writeToHost()
{
    if (!isOpen())
        return;
    if (!unsent_.isEmpty()) {
        const ssize_t n = ::write(master_.get(), unsent_.constData(), unsent_.size());
        if (n > 0)
            unsent_.remove(0, n);
    }
    writeNotifier_->setEnabled(!unsent_.isEmpty());
}

void PtyPrinter::vanish()
{
    // The device is gone; the data-folder link stays behind, dangling, as a
    // link to an unplugged device's node would.
    releaseTerminal();
    Q_EMIT vanished();
}

} // namespace Sim
