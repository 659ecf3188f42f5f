// The version dialog: its texts, its plain showing from the Help menu, and
// the start-up loading it runs as the splash, with every way that can end.

#include "common/pointer.h"
#include "common/waitms.h"
#include "dialogs/dlgnote.h"
#include "dialogs/dlgver.h"
#include "settings/modeldata.h"
#include "settings/settingsfile.h"
#include "startupfiles.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace Common;
using TestSupport::ScopedDataFolder;

namespace {

const QByteArray GoodSettings = "Zentab    05.Dec.26  11:01\r\nModelName = zx-p750\r\n"
                                "COMPort =  3\r\nSerialNo = Printer041\r\n";
const QByteArray GoodModels = "Zentab models\r\n35ZX-P700\r\n36ZX-P750\r\n51ZX-Q500\r\n";

// What happened while the splash ran: the progress texts in the order they
// appeared, and the notice dialog if it came up (closed with Enter).
struct SplashRun {
    QStringList progress;
    int notices = 0;
    QString noticeTitle;
    QString progressAtNotice;
    Pointer pointerAtNotice = Pointer::Hourglass;
    qint64 elapsedMs = 0;
    bool finished = false;
};

// Shows the splash modally as the main window does and watches it.
SplashRun RunSplash(const std::function<void(DlgVer&)>& meanwhile = {})
{
    SplashRun run;
    SplashMode = true;
    SetPointer(Pointer::Hourglass);
    DlgVer dialog;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &dialog, [&] {
        if (dialog.LblInit->isVisible() &&
            (run.progress.isEmpty() || run.progress.last() != dialog.LblInit->text()))
            run.progress << dialog.LblInit->text();
        if (auto* note = qobject_cast<DlgNote*>(QApplication::activeModalWidget())) {
            ++run.notices;
            run.noticeTitle = note->windowTitle();
            run.progressAtNotice = dialog.LblInit->text();
            run.pointerAtNotice = CurrentPointer();
            QTest::keyClick(note, Qt::Key_Return);
        }
    });
    watch.start(5);
    if (meanwhile)
        QTimer::singleShot(0, &dialog, [&] { meanwhile(dialog); });
    // A splash that never ends fails the test rather than hanging it.
    QTimer::singleShot(60000, &dialog, [&dialog] { dialog.done(99); });
    QElapsedTimer clock;
    clock.start();
    run.finished = dialog.exec() != 99;
    run.elapsedMs = clock.elapsed();
    return run;
}

} // namespace

class TestDlgVer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { SetWaitScaleForTests(20); }
    void cleanup()
    {
        SetWaitScaleForTests(100);
        SetPointer(Pointer::Default);
    }

    void versionText_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("text");
        QTest::newRow("release") << 0 << 95 << 0 << " Version 0.95.00 ";
        QTest::newRow("major in hex, last two digits") << 10 << 5 << 123 << " Version A.05.23 ";
        QTest::newRow("major 31") << 31 << 99 << 100 << " Version 1F.99.00 ";
    }
    void versionText()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, text);
        QCOMPARE(DlgVer::VersionText(major, minor, revision), text);
    }

    // From the Help menu: its texts, the Close button instead of the progress
    // line, and Escape closes it.
    void plainShowing()
    {
        DlgVer dialog;
        QCOMPARE(dialog.LblVersion->text(), QStringLiteral(" Version 0.95.00 "));
        QCOMPARE(dialog.LblRevDate->text(), QStringLiteral("21.July.2006"));
        QCOMPARE(dialog.LblTitle->text() + dialog.LblTitle2->text(),
                 QStringLiteral(" Identification of Talvik Printers "));
        QVERIFY(!dialog.ImgLogo->pixmap().isNull());
        QVERIFY(!dialog.TmrTitle.isActive());
        bool closeShown = false, progressShown = true;
        QTimer::singleShot(50, &dialog, [&] {
            closeShown = dialog.CmdClose->isVisible() && dialog.LblCopyright->isVisible();
            progressShown = dialog.LblInit->isVisible();
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        QTimer::singleShot(10000, &dialog, [&dialog] { dialog.done(99); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(closeShown);
        QVERIFY(!progressShown);
    }

    void firstStart()
    {
        ScopedDataFolder folder;
        QVERIFY(folder.write(ModelDataFileName, GoodModels));
        CapturedMessages messages;

        const SplashRun run = RunSplash();
        QVERIFY(run.finished);
        QCOMPARE(run.notices, 1);
        QCOMPARE(run.noticeTitle, QStringLiteral("Welcome!"));
        // The notice comes before the model data, with the arrow pointer.
        QCOMPARE(run.progressAtNotice, QStringLiteral("Now Initializing..."));
        QCOMPARE(run.pointerAtNotice, Pointer::Default);
        QCOMPARE(run.progress, (QStringList{"Now Initializing...", " Loading Model Data... ",
                                            " Completed ... "}));
        QCOMPARE(CurrentPointer(), Pointer::Hourglass); // the window restores it
        QVERIFY(!ErrorFlag);
        QVERIFY(messages.isEmpty());
        QVERIFY(!SplashMode);
    }

    void splashCannotBeDismissed()
    {
        ScopedDataFolder folder;
        QVERIFY(folder.write(SettingsFileName, GoodSettings));
        QVERIFY(folder.write(ModelDataFileName, GoodModels));
        bool visibleAfterEscape = false;
        bool closeButtonShown = true;
        const SplashRun run = RunSplash([&](DlgVer& dialog) {
            closeButtonShown = dialog.CmdClose->isVisible();
            QTest::keyClick(&dialog, Qt::Key_Escape);
            dialog.close();
            visibleAfterEscape = dialog.isVisible();
        });
        QVERIFY(run.finished);
        QVERIFY(!closeButtonShown);
        QVERIFY(visibleAfterEscape);
        QVERIFY(!ErrorFlag); // the loading ran all the same
        QCOMPARE(AppSettings.COMPort, 3);
    }

    void splashLastsItsFullTime()
    {
        SetWaitScaleForTests(100);
        ScopedDataFolder folder;
        QVERIFY(folder.write(SettingsFileName, GoodSettings));
        QVERIFY(folder.write(ModelDataFileName, GoodModels));
        const SplashRun run = RunSplash();
        QVERIFY(run.finished);
        QVERIFY(!ErrorFlag);
        QVERIFY2(run.elapsedMs >= 1500 + 1000 + 500 + 1000,
                 qPrintable(QString::number(run.elapsedMs)));
    }
};

QTEST_MAIN(TestDlgVer)
#include "tst_dlgver.moc"
