// InitGlobals: every setting back to its default, the port I/O started and
// the installed printers listed.

#include "link/portio.h"
#include "settings/appsettings.h"
#include "settings/printercatalog.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace Common;

namespace {

class CountingPortIo final : public PortIoBackend {
public:
    int initializeCalls = 0;
    bool initialize() override
    {
        ++initializeCalls;
        return false; // no port: InitGlobals goes on regardless
    }
    void shutdown() override {}
    bool read(std::uint16_t, std::uint32_t* value, std::uint8_t) override
    {
        *value = 0;
        return false;
    }
    bool write(std::uint16_t, std::uint32_t, std::uint8_t) override { return false; }
};

class ListedPrinters final : public PrinterCatalog {
public:
    explicit ListedPrinters(QList<InstalledPrinter> printers) : printers_(std::move(printers)) {}
    QList<InstalledPrinter> installedPrinters() override { return printers_; }

private:
    QList<InstalledPrinter> printers_;
};

} // namespace

class TestInitGlobals : public QObject {
    Q_OBJECT

    QTemporaryDir data_;
    CountingPortIo* portIo_ = nullptr;

    void useCatalog(QList<InstalledPrinter> printers)
    {
        SetPrinterCatalog(std::make_unique<ListedPrinters>(std::move(printers)));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(QDir::setCurrent(data_.path())); }
    void init()
    {
        auto portIo = std::make_unique<CountingPortIo>();
        portIo_ = portIo.get();
        SetPortIoBackend(std::move(portIo));
    }
    void cleanupTestCase() { SetPrinterCatalog(nullptr); }

    void everythingBackToItsDefault()
    {
        useCatalog({});
        AppSettings.Interface = USB;
        AppSettings.ActiveInterface = Parallel;
        AppSettings.LPTPort = 3;
        AppSettings.LPTAddress = 0x3BC;
        AppSettings.PortOpen = true;
        AppSettings.SerialNo = QStringLiteral("XXXXXXXXXX");
        AppSettings.StartNum = 77;
        AppSettings.ModelName = QStringLiteral("ZX-Q20");
        AppSettings.LANIP = QStringLiteral("10.0.0.9");
        ErrorFlag = false;
        WaitPending = true;
        HistoryCount = 4;

        InitGlobals();

        QVERIFY(ErrorFlag);
        QVERIFY(!WaitPending);
        QCOMPARE(HistoryCount, 0);
        QCOMPARE(DataFolder, QDir::currentPath());
        QCOMPARE(portIo_->initializeCalls, 1);
        const AppSettingsRecord& s = AppSettings;
        QCOMPARE(s.Interface, Serial);
        QCOMPARE(s.ActiveInterface, NoInterface); // the first ClosePort finds nothing open
        QCOMPARE(s.COMPort, 1);
        QCOMPARE(s.COMBaud, 192);
        QCOMPARE(s.LPTPort, 1);
        QCOMPARE(s.LPTAddress, 0x378);
        QCOMPARE(s.LANIP, QStringLiteral("192.168.1.1"));
        QCOMPARE(s.LANPort, 9100);
        QVERIFY(!s.PortOpen);
        QCOMPARE(s.SerialNo, QStringLiteral("Printer000"));
        QCOMPARE(s.SNoLength, 10);
        QCOMPARE(s.SNoNumCol, 8);
        QCOMPARE(s.SNoNumLen, 3);
        QCOMPARE(s.StartNum, 1);
        QVERIFY(s.AutoInc);
        QVERIFY(s.ModelName.isEmpty());
    }

    void installedPrinters_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("listed");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("three") << 3 << 3;
        QTest::newRow("more than a byte counts") << 300 << 255;
    }
    void installedPrinters()
    {
        QFETCH(int, count);
        QFETCH(int, listed);
        QList<InstalledPrinter> printers;
        for (int i = 0; i < count; ++i)
            printers.append(
                {QStringLiteral("Printer %1").arg(i), QStringLiteral("usb://Talvik/R%1").arg(i)});
        useCatalog(printers);
        LstWinDrv = QStringList{QStringLiteral("left over")};
        AppSettings.WinPrinterCount = 9;

        InitGlobals();

        QCOMPARE(LstWinDrv.size(), listed);
        QCOMPARE(LstWinDrvPorts.size(), listed);
        QCOMPARE(int(AppSettings.WinPrinterCount), listed);
        for (int i = 0; i < listed; ++i) { // in the order the print service gave them
            QCOMPARE(LstWinDrv.at(i), printers.at(i).name);
            QCOMPARE(LstWinDrvPorts.at(i), printers.at(i).deviceUri);
        }
    }
};

QTEST_GUILESS_MAIN(TestInitGlobals)
#include "tst_initglobals.moc"
