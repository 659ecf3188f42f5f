// The USB interface on the device-node backend, with a FIFO standing in for
// the printer's device node: a job the printer takes, a printer that takes
// nothing (switched off), a printer that goes away, and a missing port.

#include "capturedmessages.h"
#include "common/appsettings.h"
#include "common/waitms.h"
#include "link/link.h"
#include "link/rawprint.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Common;

class TestUsbLink : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dataFolder;
    int reader = -1; // the printer's end of the FIFO

    QString fifoFor(const QString& port)
    {
        const QString path = dataFolder.filePath(port);
        if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
            qWarning("mkfifo: %s", std::strerror(errno));
        return path;
    }

    void openReader(const QString& path)
    {
        reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(reader >= 0);
    }

    void closeReader()
    {
        if (reader >= 0)
            ::close(reader);
        reader = -1;
    }

    // What the printer has been given, taking all of it.
    QByteArray drain()
    {
        QByteArray data;
        char chunk[4096];
        ssize_t n = 0;
        while ((n = ::read(reader, chunk, sizeof chunk)) > 0)
            data.append(chunk, n);
        return data;
    }

    // Fills the FIFO from another writer until it takes nothing more.
    void fill(const QString& path)
    {
        const int writer = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        QVERIFY(writer >= 0);
        const QByteArray block(4096, 'x');
        while (::write(writer, block.constData(), static_cast<size_t>(block.size())) > 0) {
        }
        ::close(writer);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(dataFolder.isValid());
        DataFolder = dataFolder.path();
        AppSettings = AppSettingsRecord{};
        AppSettings.Interface = USB;
        AppSettings.ActiveInterface = USB;
        AppSettings.USBPort = 7;
        ErrorFlag = false;
        SetRawPrintBackend(MakeDeviceNodeRawPrintBackend());
        SetWaitScaleForTests(10);
    }

    void cleanup()
    {
        ReleaseLink();
        closeReader();
        for (const QString& entry : QDir(dataFolder.path()).entryList(QDir::System | QDir::Files))
            QFile::remove(dataFolder.filePath(entry));
        DataFolder.clear();
        SetWaitScaleForTests(100);
    }

    void jobTaken()
    {
        openReader(fifoFor(QStringLiteral("USB007"))); // USBPort 7 is the port USB007
        CapturedMessages messages;
        OpenPort();
        SendData(QStringLiteral("1D4901"));
        QVERIFY(!ErrorFlag);
        QCOMPARE(dpEnumJobs(), std::int16_t{0});
        QCOMPARE(drain(), QByteArray("\x1D\x49\x01", 3)); // the job name is not printed
        QCOMPARE(ReceiveData(), QString());               // the port carries no replies
        QVERIFY(messages.isEmpty());
    }

    // A printer that takes nothing (switched off) gets the job's 1000 ms; the
    // job stays pending and goes out while the window thread waits once the
    // printer comes online.
    void printerTakesNothing()
    {
        SetWaitScaleForTests(100); // the 1000 ms the job is given is under test
        const QString fifo = fifoFor(QStringLiteral("USB007"));
        openReader(fifo);
        fill(fifo);
        CapturedMessages messages;
        OpenPort();
        QElapsedTimer elapsed;
        elapsed.start();
        SendData(QStringLiteral("1D4901"));
        QVERIFY(elapsed.elapsed() >= 999);
        QVERIFY(ErrorFlag);
        QCOMPARE(dpEnumJobs(), std::int16_t{1});
        QVERIFY(messages.isEmpty());

        QByteArray taken = drain();
        const QDeadlineTimer deadline(5000);
        while (dpEnumJobs() != 0 && !deadline.hasExpired()) {
            WaitMs(20);
            taken += drain();
        }
        taken += drain();
        QCOMPARE(dpEnumJobs(), std::int16_t{0});
        QVERIFY(taken.endsWith(QByteArray("x\x1D\x49\x01", 4)));
    }

    // Unplugged with a job half-way, then plugged in again: a new node under the
    // same name, which the next operation's OpenPort must reach, not the old
    // descriptor.
    void printerGoesAwayDuringAJob()
    {
        const QString fifo = fifoFor(QStringLiteral("USB007"));
        openReader(fifo);
        fill(fifo);
        OpenPort();
        SendData(QStringLiteral("1D4901"));
        closeReader();
        WaitMs(50);
        QCOMPARE(dpEnumJobs(), std::int16_t{1}); // never taken, never reported as taken
        QVERIFY(ActiveRawPrintBackend().lastError().contains(
            QString::fromLocal8Bit(std::strerror(EPIPE))));

        QVERIFY(QFile::remove(fifo));
        QCOMPARE(fifoFor(QStringLiteral("USB007")), fifo);
        openReader(fifo);
        ErrorFlag = false;
        CapturedMessages messages;
        OpenPort();
        SendData(QStringLiteral("1B40"));
        QVERIFY(!ErrorFlag);
        QCOMPARE(dpEnumJobs(), std::int16_t{0});
        QCOMPARE(drain(), QByteArray("\x1B\x40", 2));
        QVERIFY(messages.isEmpty());
    }

    void missingDevice()
    {
        AppSettings.USBPort = 3;
        QVERIFY(QFile::link(dataFolder.filePath(QStringLiteral("unplugged")),
                            dataFolder.filePath(QStringLiteral("USB003"))));
        CapturedMessages messages;
        OpenPort();
        QCOMPARE(messages.all().size(), 1);
        QCOMPARE(messages.all().at(0).title, QStringLiteral("Port ERROR!"));
        QCOMPARE(messages.all().at(0).text, QStringLiteral("Failed to open the USB Port."));
        QVERIFY(ErrorFlag);
        QCOMPARE(dpSetOutputPort("USB003"), std::int16_t{-1});
        QVERIFY(ActiveRawPrintBackend().lastError().contains(
            QString::fromLocal8Bit(std::strerror(ENOENT))));
        SendData(QStringLiteral("1D4901")); // goes nowhere, quietly
        QCOMPARE(messages.all().size(), 1);
        QVERIFY(dpEnumJobs() != 0);
    }
};

QTEST_MAIN(TestUsbLink)
#include "tst_usb.moc"
