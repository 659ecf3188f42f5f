// The Windows Driver page against the real print service: the printers that a
// CUPS scheduler reports, listed at start-up and offered by the dialog with the
// port each one prints to (the dialog itself is tested with tst_dlgifset); and
// no scheduler at all.
#include "dialogs/dlgifset.h"
#include "settings/initglobals.h"

#include "dialogfixture.h"
#include "tempcupsd.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <cups/cups.h>

using namespace Common;
using namespace TestSupport;
using DialogTest::Operate;

namespace {

// Points the print client at server. libcups keeps the server it found first,
// so it is told to forget it and read the variable again.
void UsePrintServer(const QString& server)
{
    qputenv("CUPS_SERVER", server.toLocal8Bit());
    cupsSetServer(nullptr);
}

} // namespace

class TestDlgIFSetPrinters : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { DialogCancelled = true; }

    void noSchedulerMeansNoPrintersAtOnce()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        UsePrintServer(dir.filePath(QStringLiteral("no-scheduler.sock")));
        QElapsedTimer clock;
        clock.start();
        InitGlobals();
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(LstWinDrv.isEmpty());
        QCOMPARE(AppSettings.WinPrinterCount, std::uint8_t(0));
    }

    void printersOfARealScheduler()
    {
        if (!TempCupsScheduler::Installed())
            QSKIP("cupsd or lpadmin is not installed (Debian: cups-daemon, cups-client)");
        TempCupsScheduler scheduler;
        QVERIFY2(scheduler.start(), qPrintable(scheduler.failure()));
        const QString kitchenUri = QStringLiteral("ipp://127.0.0.1:8631/ipp/print");
        QVERIFY2(scheduler.addQueue(QStringLiteral("Receipt_A"), QStringLiteral("file:/dev/null")),
                 qPrintable(scheduler.failure()));
        QVERIFY2(scheduler.addQueue(QStringLiteral("Kitchen-B"), kitchenUri),
                 qPrintable(scheduler.failure()));
        UsePrintServer(scheduler.socketPath());

        InitGlobals();
        QCOMPARE(AppSettings.WinPrinterCount, std::uint8_t(2));
        QCOMPARE(LstWinDrv.size(), 2);
        const int receipt = LstWinDrv.indexOf(QStringLiteral("Receipt_A"));
        const int kitchen = LstWinDrv.indexOf(QStringLiteral("Kitchen-B"));
        QVERIFY(receipt >= 0 && kitchen >= 0);
        QCOMPARE(LstWinDrvPorts.value(receipt), QStringLiteral("file:/dev/null"));
        QCOMPARE(LstWinDrvPorts.value(kitchen), kitchenUri);

        DlgIFSet dlg; // offers them with their ports
        QVERIFY(ShowAndActivate(&dlg));
        QVERIFY(
            Operate(&dlg, QStringLiteral("CboIF=4 CboWinDevice=%1 CboIF=0 CmdSet").arg(kitchen)));
        QCOMPARE(Fields(AppSettings, "WinDevice WinPort"), "Kitchen-B " + kitchenUri);
    }
};

QTEST_MAIN(TestDlgIFSetPrinters)
#include "tst_dlgifset_printers.moc"
