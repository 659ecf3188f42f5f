// Port I/O: the dispatch to the installed backend, and the ppdev backend on
// a machine without a parallel port (or with something else in its place),
// which must start quietly and read the same absent value every time.

#include "capturedmessages.h"
#include "common/appsettings.h"
#include "common/waitms.h"
#include "link/link.h"
#include "link/portio.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Common;

namespace {

struct Calls {
    int initialize = 0;
    int shutdown = 0;
};

class CountingBackend final : public PortIoBackend {
public:
    explicit CountingBackend(Calls& calls) : calls_(calls) {}
    bool initialize() override { return ++calls_.initialize > 0; }
    void shutdown() override { ++calls_.shutdown; }
    bool read(std::uint16_t address, std::uint32_t* value, std::uint8_t) override
    {
        *value = address & 0xFF;
        return true;
    }
    bool write(std::uint16_t, std::uint32_t, std::uint8_t) override { return true; }

private:
    Calls& calls_;
};

} // namespace

class TestPortIo : public QObject {
    Q_OBJECT

    QTemporaryDir dataFolder;

private Q_SLOTS:
    void init()
    {
        QVERIFY(dataFolder.isValid());
        DataFolder = dataFolder.path();
        // The machine's own /dev/parportN stay out of it: every port is a data
        // folder entry that is not there.
        for (int n = 1; n <= 3; ++n)
            QFile::link(dataFolder.filePath(QStringLiteral("absent")),
                        dataFolder.filePath(QStringLiteral("LPT%1").arg(n)));
        AppSettings = AppSettingsRecord{};
        AppSettings.Interface = Parallel;
        ErrorFlag = false;
    }

    void cleanup()
    {
        ShutdownWinIo();
        SetPortIoBackend(nullptr);
        for (const QString& entry : QDir(dataFolder.path()).entryList(QDir::System | QDir::Files))
            QFile::remove(dataFolder.filePath(entry));
        DataFolder.clear();
        SetWaitScaleForTests(100);
    }

    void dispatchFollowsTheInstalledBackend()
    {
        Calls first;
        Calls second;
        SetPortIoBackend(std::make_unique<CountingBackend>(first));
        QCOMPARE(first.initialize, 0); // not started up yet
        QVERIFY(InitializeWinIo());
        QCOMPARE(first.initialize, 1);
        std::uint32_t value = 0;
        QVERIFY(GetPortVal(0x379, &value, 1));
        QCOMPARE(value, 0x79u);
        QVERIFY(!GetPortVal(0x379, nullptr, 1));
        // A replacement after start-up: the old one shut down, the new one started.
        SetPortIoBackend(std::make_unique<CountingBackend>(second));
        QCOMPARE(first.shutdown, 1);
        QCOMPARE(second.initialize, 1);
        ShutdownWinIo();
        QCOMPARE(second.shutdown, 1);
        SetPortIoBackend(nullptr); // before the counts go
    }

    void absentPortReadsTheSameEveryTime_data()
    {
        QTest::addColumn<bool>("somethingElse");
        QTest::newRow("no device") << false;
        QTest::newRow("not a parallel port") << true;
    }

    void absentPortReadsTheSameEveryTime()
    {
        QFETCH(bool, somethingElse);
        if (somethingElse) {
            QFile file(dataFolder.filePath(QStringLiteral("absent")));
            QVERIFY(file.open(QIODevice::WriteOnly)); // opens, but refuses the claim
        }
        CapturedMessages messages;
        std::unique_ptr<PortIoBackend> ppdev = MakePpdevBackend();
        QVERIFY(ppdev->initialize()); // nothing is opened at start-up
        // Tried again within the second, and an address past the ports.
        for (const std::uint16_t address : {0x378, 0x379, 0x37A, 0x379, 0x37B}) {
            std::uint32_t value = 0x12345678;
            QVERIFY(!ppdev->read(address, &value, 1));
            QCOMPARE(value, 0xFFu);
        }
        QVERIFY(!ppdev->write(0x37A, 0xCC, 1));
        // Why, naming the device: the system's reason for the open or the claim.
        const std::optional<QString> problem = ppdev->portProblem(0x37A);
        QVERIFY(problem);
        QVERIFY2(problem->contains(somethingElse ? "Inappropriate ioctl" : "No such file") &&
                     problem->contains(
                         dataFolder.filePath(QLatin1String(somethingElse ? "absent" : "LPT1"))),
                 qPrintable(*problem));
        QVERIFY(!ppdev->portProblem(0x278)); // LPT2 was never tried
        ppdev->shutdown();
        QVERIFY(messages.isEmpty());
    }

    // Opening names a port it cannot claim once a run; the link then fails
    // quietly and soon, with every wait a count of failed reads.
    void parallelLinkOnAnAbsentPort()
    {
        SetPortIoBackend(MakePpdevBackend());
        QVERIFY(InitializeWinIo());
        SetWaitScaleForTests(10);
        AppSettings.LPTPort = 2;
        AppSettings.LPTAddress = 0x278;
        CapturedMessages messages;
        OpenPort();
        QVERIFY(ErrorFlag);
        ErrorFlag = false;
        QTest::qWait(1100); // the claim is tried again at most once a second
        OpenPort();
        QVERIFY(!ErrorFlag);
        QCOMPARE(messages.all().size(), 1);
        QCOMPARE(messages.all().at(0).title, QStringLiteral("Port ERROR!"));
        QVERIFY2(messages.all().at(0).text.contains(dataFolder.filePath("LPT2")),
                 qPrintable(messages.all().at(0).text));

        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(LptNotReady());
        SendData(QStringLiteral("1D4901"));
        QVERIFY(ErrorFlag);
        ErrorFlag = false;
        QCOMPARE(ReceiveData(), QString());
        QVERIFY(ErrorFlag);
        QCOMPARE(messages.all().size(), 1);
        QVERIFY2(elapsed.elapsed() < 10000, qPrintable(QString::number(elapsed.elapsed())));
    }
};

QTEST_MAIN(TestPortIo)
#include "tst_portio.moc"
