// InitGlobals: every setting back to its default, the port I/O started and
// the installed printers listed.

#include "../app/appfixture.h"
#include "settings/initglobals.h"
#include "settingsrecord.h"

#include <QtTest>

using namespace Common;

class TestInitGlobals : public QObject {
    Q_OBJECT

    std::unique_ptr<AppTest::Environment> env_;

private Q_SLOTS:
    void initTestCase() { env_ = std::make_unique<AppTest::Environment>(); }
    void cleanupTestCase() { env_.reset(); }

    void everythingBackToItsDefault()
    {
        env_->install();
        env_->portIo->available = false; // no port I/O: InitGlobals goes on regardless
        AppSettings = TestSupport::Record("Interface=2 ActiveInterface=1 LPTPort=3 LPTAddress=956 "
                                          "PortOpen=1 SerialNo=XXXXXXXXXX StartNum=77 "
                                          "ModelName=ZX-Q20 LANIP=10.0.0.9");
        WaitPending = true;
        HistoryCount = 4;

        InitGlobals();

        QVERIFY(ErrorFlag);
        QVERIFY(!WaitPending);
        QCOMPARE(HistoryCount, 0);
        QCOMPARE(DataFolder, QDir::currentPath());
        QCOMPARE(env_->portIo->initializeCalls, 1);
        // ActiveInterface: the first ClosePort finds nothing open.
        QCOMPARE(TestSupport::Describe(AppSettings), TestSupport::Describe(AppSettingsRecord{}));
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
        env_->install(printers);
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
