// The printer behind a USB printer device node stand-in, written to as the
// raw-print backend writes: non-blocking, what is not taken stays pending.

#include "usbnodeprinter.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using Sim::SimPrinter;
using Sim::UsbNodePrinter;

namespace {

const QByteArray kCodeTransmission =
    QByteArray("\x1D\x28\x45\x03\x00\x01\x49\x4E\x1D\x28\x45\x0B\x00\xF0", 14) + "Printer011" +
    QByteArray("\x1D\x28\x45\x04\x00\x02\x4F\x55\x54", 9);
constexpr int kGenerousMs = 5000;

class Writer {
public:
    explicit Writer(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC))
    {
    }
    ~Writer()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    // Bytes written, or -errno.
    qint64 write(const QByteArray& bytes)
    {
        const ssize_t n = ::write(fd_, bytes.constData(), bytes.size());
        return n < 0 ? -errno : n;
    }

    // Whether the node polls writable: the printer has taken all it was sent.
    bool writable() const
    {
        pollfd entry{fd_, POLLOUT, 0};
        return ::poll(&entry, 1, 0) == 1 && (entry.revents & POLLOUT);
    }

    // Tries again while the node has no room, as the backend would.
    qint64 writeWhenTaken(const QByteArray& bytes, int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        qint64 result = write(bytes);
        while (result == -EAGAIN && !deadline.hasExpired()) {
            QTest::qWait(5);
            result = write(bytes);
        }
        return result;
    }

private:
    int fd_;
};

} // namespace

class TstUsbNodePrinter : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    std::shared_ptr<SimPrinter> printer_;
    std::unique_ptr<UsbNodePrinter> node_;
    QString link_;

private Q_SLOTS:
    void init()
    {
        QVERIFY(folder_.isValid());
        printer_ = std::make_shared<SimPrinter>();
        printer_->setResetTimeMs(100);
        node_ = std::make_unique<UsbNodePrinter>(printer_);
        link_ = folder_.filePath(QStringLiteral("USB001"));
        QVERIFY2(node_->open(link_), qPrintable(node_->errorString()));
    }
    void cleanup() { node_.reset(); }

    // As the USB printer driver: a write is taken whole at once, offline or
    // not, and the node is not writable again until the printer has it all.
    // What an offline printer was sent reaches it once it is back.
    void offlineNodeTakesOneWriteAndHoldsIt()
    {
        Writer writer(link_);
        node_->setOffline(true);
        QVERIFY(writer.writable());
        QCOMPARE(writer.write(kCodeTransmission), qint64(33));
        QTRY_COMPARE_WITH_TIMEOUT(node_->heldBytes(), 33, kGenerousMs);
        QVERIFY(!writer.writable());
        QCOMPARE(writer.write(QByteArray("\x1D\x49\x01")), qint64(-EAGAIN));
        QTest::qWait(100);
        QVERIFY(!writer.writable());
        QCOMPARE(printer_->bytesTaken(), qint64(0));
        node_->setOffline(false);
        QTRY_COMPARE_WITH_TIMEOUT(printer_->identificationCode(), QByteArray("Printer011"),
                                  kGenerousMs);
        // Only the job reached the printer, none of the node's filling.
        QCOMPARE(printer_->bytesTaken(), qint64(33));
    }

    void resetHoldsTheNextJob()
    {
        Writer writer(link_);
        QCOMPARE(writer.write(kCodeTransmission), qint64(33));
        QTRY_VERIFY_WITH_TIMEOUT(printer_->resetting(), kGenerousMs);
        QVERIFY(writer.writable()); // the job itself was taken
        QCOMPARE(writer.write(QByteArray("\x1D\x49\x01")), qint64(3));
        QTRY_VERIFY_WITH_TIMEOUT(!writer.writable(), kGenerousMs);
        QTRY_VERIFY_WITH_TIMEOUT(writer.writable(), kGenerousMs);
        QCOMPARE(printer_->commandLog().back().text, QStringLiteral("GS I 1"));
        QCOMPARE(printer_->bytesTaken(), qint64(36));
    }

    void vanishRemovesNodeAndLink()
    {
        QVERIFY(QFileInfo(link_).isSymLink());
        printer_->faults().vanishAfterBytes = 1;
        Writer writer(link_);
        QCOMPARE(writer.write(QByteArray("\x1D\x49\x01")), qint64(3));
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo(link_).isSymLink(), kGenerousMs);
        QVERIFY(!QFileInfo::exists(node_->nodePath()));
        QVERIFY(!Writer(link_).isOpen());
    }
};

QTEST_GUILESS_MAIN(TstUsbNodePrinter)
#include "tst_usbnodeprinter.moc"
