#include "usbnodeprinter.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Sim {

namespace {

constexpr int kPollMs = 20;
constexpr qsizetype kChunk = 4096;
// The smallest FIFO the system allows (one page): filling it is quick.
constexpr int kNodeCapacity = 4096;

} // namespace

UsbNodePrinter::UsbNodePrinter(std::shared_ptr<SimPrinter> printer, QObject* parent)
    : QObject(parent), printer_(std::move(printer))
{
    connect(&pollTimer_, &QTimer::timeout, this, &UsbNodePrinter::checkPrinter);
}

UsbNodePrinter::~UsbNodePrinter()
{
    close();
}

bool UsbNodePrinter::fail(const QString& what)
{
    error_ = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
    close();
    return false;
}

bool UsbNodePrinter::open(const QString& linkPath)
{
    close();
    dir_ = std::make_unique<QTemporaryDir>();
    if (!dir_->isValid()) {
        error_ = QStringLiteral("cannot create a folder for the device node");
        return false;
    }
    nodePath_ = dir_->filePath(QStringLiteral("usblp"));
    const QByteArray node = QFile::encodeName(nodePath_);
    if (::mkfifo(node.constData(), 0660) != 0)
        return fail(QStringLiteral("mkfifo %1").arg(nodePath_));
    fifo_.reset(::open(node.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!fifo_.valid())
        return fail(QStringLiteral("open %1").arg(nodePath_));
    ::fcntl(fifo_.get(), F_SETPIPE_SZ, kNodeCapacity); // smaller is only quicker to fill
    if (!linkPath.isEmpty() && !link_.create(nodePath_, linkPath, &error_)) {
        close();
        return false;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fifo_.get(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &UsbNodePrinter::readNode);
    pollTimer_.start(kPollMs);
    error_.clear();
    return true;
}

void UsbNodePrinter::close()
{
    pollTimer_.stop();
    notifier_.reset();
    fifo_.reset();
    link_.remove();
    dir_.reset();
    unfed_.clear();
    filler_ = 0;
}

void UsbNodePrinter::setOffline(bool offline)
{
    offline_ = offline;
    checkPrinter();
}

void UsbNodePrinter::readNode()
{
    if (!isOpen())
        return;
    QByteArray chunk(kChunk, Qt::Uninitialized);
    const ssize_t n = ::read(fifo_.get(), chunk.data(), chunk.size());
    if (n <= 0)
        return;
    chunk.truncate(n);
    const qint64 ours = std::min<qint64>(filler_, n);
    filler_ -= ours;
    unfed_ += chunk.mid(ours);
    checkPrinter();
}

void UsbNodePrinter::checkPrinter()
{
    if (!isOpen())
        return;
    if (printer_->vanished()) {
        // The node and its link go away; a writer that has it open keeps a
        // node nobody reads, so its job stays pending.
        notifier_.reset();
        pollTimer_.stop();
        link_.remove();
        ::unlink(QFile::encodeName(nodePath_).constData());
        return;
    }
    const auto taking = [this] { return !offline_ && printer_->takingInput(); };
    if (taking() && !unfed_.isEmpty())
        unfed_.remove(0, printer_->feed(unfed_));
    printer_->takeReply(); // a USB printer port has no way back
    // As the USB printer driver does: a write is taken whole even while the
    // printer takes nothing, and the node is not writable again until the
    // printer has had it all.
    const bool holdOff = !unfed_.isEmpty();
    if (holdOff && filler_ == 0)
        fillNode();
    else if (!holdOff && filler_ > 0)
        drainFiller();
    if (notifier_)
        notifier_->setEnabled(!holdOff);
}

void UsbNodePrinter::fillNode()
{
    // First take in what writers have put in the node, then fill the rest
    // with bytes of our own, so that writers find no room: large blocks,
    // then ever smaller ones down to single bytes.
    for (;;) {
        QByteArray chunk(kChunk, Qt::Uninitialized);
        const ssize_t n = ::read(fifo_.get(), chunk.data(), chunk.size());
        if (n <= 0)
            break;
        unfed_ += chunk.left(n);
    }
    const QByteArray block(kChunk, '\0');
    for (qsizetype size = kChunk; size >= 1; size /= 2) {
        for (;;) {
            const ssize_t n = ::write(fifo_.get(), block.constData(), size);
            if (n <= 0)
                break;
            filler_ += n;
        }
    }
}

void UsbNodePrinter::drainFiller()
{
    while (filler_ > 0) {
        QByteArray chunk(std::min<qint64>(filler_, kChunk), Qt::Uninitialized);
        const ssize_t n = ::read(fifo_.get(), chunk.data(), chunk.size());
        if (n <= 0)
            break;
        filler_ -= n;
    }
}

} // namespace Sim
