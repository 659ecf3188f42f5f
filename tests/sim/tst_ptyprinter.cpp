// The printer behind a pseudo-terminal, driven from the slave side as the
// virtual COM link would drive /dev/ttyACM0.

#include "hostterminal.h"
#include "ptyprinter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using Sim::PtyPrinter;
using Sim::SimPrinter;
using SimTest::HostTerminal;

namespace {

const QByteArray kGsI1("\x1D\x49\x01", 3);
const QByteArray kCodeTransmission =
    QByteArray("\x1D\x28\x45\x03\x00\x01\x49\x4E\x1D\x28\x45\x0B\x00\xF0", 14) + "Printer007" +
    QByteArray("\x1D\x28\x45\x04\x00\x02\x4F\x55\x54", 9);
constexpr int kGenerousMs = 5000;

} // namespace

class TstPtyPrinter : public QObject {
    Q_OBJECT

    std::shared_ptr<SimPrinter> printer_;
    std::unique_ptr<PtyPrinter> pty_;
    HostTerminal host_;

private Q_SLOTS:
    void init()
    {
        printer_ = std::make_shared<SimPrinter>();
        printer_->setModelId(0x51);
        pty_ = std::make_unique<PtyPrinter>(printer_);
        QVERIFY2(pty_->open(), qPrintable(pty_->errorString()));
        QVERIFY(pty_->slavePath().startsWith(QStringLiteral("/dev/pts/")));
        QVERIFY(host_.open(pty_->slavePath()));
    }
    void cleanup()
    {
        host_.close();
        pty_.reset();
    }

    void noticeThenResetHoldsInput()
    {
        // The query right behind OUT waits in the terminal for the reset.
        constexpr int kResetMs = 400;
        printer_->setResetTimeMs(kResetMs);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(host_.write(kCodeTransmission + kGsI1));
        QCOMPARE(host_.read(3, kGenerousMs), QByteArray("\x37\x20\x00", 3));
        QCOMPARE(host_.read(1, kGenerousMs), QByteArray("\x51"));
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= kResetMs && elapsed < kResetMs + 2000,
                 qPrintable(QString::number(elapsed)));
        QCOMPARE(printer_->identificationCode(), QByteArray("Printer007"));
    }

    void offlineHoldsBytesUntilBackOnline()
    {
        printer_->faults().stopsTaking = true;
        QVERIFY(host_.write(kGsI1));
        QCOMPARE(host_.readFor(100), QByteArray());
        QVERIFY(printer_->commandLog().empty());
        printer_->faults().stopsTaking = false;
        QCOMPARE(host_.read(1, kGenerousMs), QByteArray("\x51"));
    }

    // The host's next transfer fails as on an unplugged device; the data
    // folder's link dangles until the printer is closed.
    void vanishesMidExchange()
    {
        QTemporaryDir folder;
        QVERIFY(pty_->linkInto(folder.path(), QStringLiteral("COM16")));
        const QString link = pty_->linkPath();
        QSignalSpy vanished(pty_.get(), &PtyPrinter::vanished);
        printer_->faults().vanishAfterBytes = 3;
        QVERIFY(host_.write(kGsI1));
        QVERIFY(vanished.wait(kGenerousMs));
        QVERIFY(!pty_->isOpen());
        QCOMPARE(host_.read(1, 200), QByteArray());
        QVERIFY(!host_.write(kGsI1));
        QCOMPARE(host_.lastError(), EIO);
        host_.close(); // the last holder of the slave: /dev/pts/N goes
        QVERIFY(QFileInfo(link).isSymLink());
        pty_->close();
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void linkLeavesOtherFilesAlone()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("COM3"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("operator's file");
        file.close();
        QVERIFY(!pty_->linkInto(folder.path(), QStringLiteral("COM3")));
        QVERIFY(pty_->errorString().contains(QStringLiteral("not a symbolic link")));
        pty_->close();
        QVERIFY(QFileInfo(path).isFile());

        // A link left behind by an earlier run is replaced.
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), folder.filePath(QStringLiteral("COM4"))));
        QVERIFY(pty_->open());
        QVERIFY(pty_->linkInto(folder.path(), QStringLiteral("COM4")));
        QCOMPARE(pty_->linkPath(), folder.filePath(QStringLiteral("COM4")));
        QCOMPARE(QFileInfo(pty_->linkPath()).symLinkTarget(), pty_->slavePath());
    }

    void hostReopensAndStaleReplyWaits()
    {
        // The notice after IN stays in the terminal until the host reads it,
        // even across a close and reopen, as on a USB virtual COM port.
        QVERIFY(host_.write(QByteArray("\x1D\x28\x45\x03\x00\x01\x49\x4E", 8)));
        QTRY_VERIFY_WITH_TIMEOUT(printer_->inUserSettingMode(), kGenerousMs);
        QTest::qWait(50);
        host_.close();
        QVERIFY(host_.open(pty_->slavePath()));
        QCOMPARE(host_.read(3, kGenerousMs), QByteArray("\x37\x20\x00", 3));
    }
};

QTEST_GUILESS_MAIN(TstPtyPrinter)
#include "tst_ptyprinter.moc"
