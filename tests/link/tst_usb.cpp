// The USB interface on the device-node backend, with a FIFO standing in for
// the printer's device node: a printer that takes nothing (switched off), one
// that goes away and comes back, and a missing port.

#include "capturedmessages.h"
#include "common/appsettings.h"
#include "common/waitms.h"
#include "link/link.h"
#include "link/linkdrivers.h"
#include "link/rawprint.h"
#include "unprivileged.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Common;

class TestUsbLink : public QObject {
    Q_OBJECT

    QTemporaryDir dataFolder;
    int reader = -1; // the printer's end of the FIFO

    // The printer's node as USB007 (USBPort 7), its end opened.
    QString plugIn()
    {
        const QString path = dataFolder.filePath(QStringLiteral("USB007"));
        QFile::remove(path);
        if (::mkfifo(QFile::encodeName(path).constData(), 0600) == 0)
            reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        return path;
    }

    void unplug()
    {
        if (reader >= 0)
            ::close(reader);
        reader = -1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The unprivileged user must reach the entries inside.
        QVERIFY(QFile::setPermissions(dataFolder.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                             QFile::ExeOwner | QFile::ReadOther |
                                                             QFile::ExeOther));
    }

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
        SetWaitScaleForTests(100); // the 1000 ms a job is given is under test
    }

    void cleanup()
    {
        ReleaseLink();
        unplug();
        for (const QString& entry : QDir(dataFolder.path()).entryList(QDir::System | QDir::Files))
            QFile::remove(dataFolder.filePath(entry));
        DataFolder.clear();
    }

    // Switched off with a job given, unplugged, then plugged in again: a new
    // node under the same name, which the next operation's OpenPort must
    // reach, not the old descriptor.
    void printerOffThenReplugged()
    {
        const QString fifo = plugIn();
        QVERIFY(reader >= 0);
        {
            // Full from another writer: the printer takes nothing more.
            const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            QVERIFY(writer >= 0);
            const QByteArray block(4096, 'x');
            while (::write(writer, block.constData(), size_t(block.size())) > 0) {
            }
            ::close(writer);
        }
        CapturedMessages messages;
        OpenPort();
        QElapsedTimer elapsed;
        elapsed.start();
        SendData(QStringLiteral("1D4901"));
        QVERIFY(elapsed.elapsed() >= 999); // the job is given its 1000 ms
        QVERIFY(ErrorFlag);
        QCOMPARE(dpEnumJobs(), std::int16_t{1});

        unplug();
        WaitMs(50);
        QCOMPARE(dpEnumJobs(), std::int16_t{1}); // never taken, never reported as taken

        SetWaitScaleForTests(10);
        QCOMPARE(plugIn(), fifo);
        ErrorFlag = false;
        OpenPort();
        SendData(QStringLiteral("1B40"));
        QVERIFY(!ErrorFlag);
        QCOMPARE(dpEnumJobs(), std::int16_t{0});
        char taken[16];
        QCOMPARE(::read(reader, taken, sizeof taken), ssize_t{2}); // the job name is not printed
        QCOMPARE(QByteArray(taken, 2), QByteArray("\x1B\x40", 2));
        QCOMPARE(ReceiveData(), QString()); // the port carries no replies
        QVERIFY(messages.isEmpty());
    }

    // The data folder names a node that is not there: the job goes nowhere,
    // and is not taken for printed.
    void missingDevice()
    {
        SetWaitScaleForTests(10);
        QVERIFY(QFile::link(dataFolder.filePath(QStringLiteral("unplugged")),
                            dataFolder.filePath(QStringLiteral("USB007"))));
        CapturedMessages messages;
        OpenPort();
        ErrorFlag = false;
        SendData(QStringLiteral("1D4901"));
        QVERIFY(ErrorFlag);
        QVERIFY(dpEnumJobs() != 0);
    }

    // Refused for want of permission (root never is): the group to join is named.
    void permissionRefusedNamesTheGroup()
    {
        const QString node = dataFolder.filePath(QStringLiteral("USB007"));
        QFile file(node);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const ::group* lp = ::getgrnam("lp");
        QVERIFY(lp);
        QCOMPARE(::chown(QFile::encodeName(node).constData(), 0, lp->gr_gid), 0);
        QCOMPARE(::chmod(QFile::encodeName(node).constData(), 0660), 0);
        const QString expected =
            QStringLiteral(
                "Failed to open the USB Port.\nPermission denied: %1 belongs to group lp")
                .arg(node);
        const int result = RunUnprivileged([&expected] {
            const LinkOutcome failure = OpenUsb();
            return failure && failure->description == expected ? 0 : 1;
        });
        QCOMPARE(result, 0);
    }
};

QTEST_MAIN(TestUsbLink)
#include "tst_usb.moc"
