// The version dialog: its texts, its plain showing from the Help menu, and
// the start-up loading it runs as the splash, with every way that can end.

#include "app/pointer.h"
#include "app/waitms.h"
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
using TestSupport::Describe;
using TestSupport::MessageLog;
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
    void init();
    void cleanup();
    void versionText_data();
    void versionText();
    void helpMenuShowing();
    void plainDialogClosesWithEscape();
    void firstStart();
    void settingsFileFound();
    void failedLoading_data();
    void failedLoading();
    void splashCannotBeDismissed();
    void splashLastsItsFullTime();
};

void TestDlgVer::init()
{
    SetWaitScaleForTests(20);
}

void TestDlgVer::cleanup()
{
    SetWaitScaleForTests(100);
    SetPointer(Pointer::Default);
}

void TestDlgVer::versionText_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.2.3") << 1 << 2 << 3 << " Version 1.02.03 ";
    QTest::newRow("release") << 0 << 95 << 0 << " Version 0.95.00 ";
    QTest::newRow("major in hex, last two digits") << 10 << 5 << 123 << " Version A.05.23 ";
    QTest::newRow("major 31") << 31 << 99 << 100 << " Version 1F.99.00 ";
}

void TestDlgVer::versionText()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, text);
    QCOMPARE(DlgVer::VersionText(major, minor, revision), text);
}

void TestDlgVer::helpMenuShowing()
{
    ScopedDataFolder folder;
    // Files that would change the settings if the dialog read them.
    QVERIFY(folder.write(SettingsFileName, GoodSettings));
    QVERIFY(folder.write(ModelDataFileName, GoodModels));
    ErrorFlag = false;
    const AppSettingsRecord before = AppSettings;
    MessageLog messages;

    DlgVer dialog;
    QCOMPARE(dialog.LblVersion->text(), QStringLiteral(" Version 0.95.00 "));
    QCOMPARE(dialog.LblRevDate->text(), QStringLiteral("21.July.2006"));
    QCOMPARE(dialog.LblTitle->text() + dialog.LblTitle2->text(),
             QStringLiteral(" Identification of Talvik Printers "));
    QVERIFY(!dialog.LblCopyright->text().isEmpty());
    QVERIFY(!dialog.ImgLogo->pixmap().isNull());
    QVERIFY(!dialog.ImgLogo2->pixmap().isNull());
    QVERIFY(!dialog.ImgLogo3->pixmap().isNull());
    QVERIFY(!dialog.TmrTitle.isActive());

    QTimer::singleShot(50, &dialog, [&dialog] {
        QVERIFY(dialog.CmdClose->isVisible());
        QVERIFY(dialog.LblCopyright->isVisible());
        QVERIFY(!dialog.LblInit->isVisible());
        dialog.CmdClose->click();
    });
    QTimer::singleShot(10000, &dialog, [&dialog] { dialog.done(99); });
    QVERIFY(dialog.exec() != 99);

    QCOMPARE(Describe(AppSettings), Describe(before));
    QCOMPARE(ModelList.ModelCount, 0);
    QVERIFY(!ErrorFlag);
    QVERIFY(messages.entries.isEmpty());
    QVERIFY(!SplashMode);
}

void TestDlgVer::plainDialogClosesWithEscape()
{
    DlgVer dialog;
    QTimer::singleShot(50, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QTimer::singleShot(10000, &dialog, [&dialog] { dialog.done(99); });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
}

void TestDlgVer::firstStart()
{
    ScopedDataFolder folder;
    QVERIFY(folder.write(ModelDataFileName, GoodModels));
    MessageLog messages;

    const SplashRun run = RunSplash();
    QVERIFY(run.finished);
    QCOMPARE(run.notices, 1);
    QCOMPARE(run.noticeTitle, QStringLiteral("Welcome!"));
    // The notice comes before the model data, with the arrow pointer.
    QCOMPARE(run.progressAtNotice, QStringLiteral("Now Initializing..."));
    QCOMPARE(run.pointerAtNotice, Pointer::Default);
    QCOMPARE(run.progress,
             (QStringList{"Now Initializing...", " Loading Model Data... ", " Completed ... "}));
    QCOMPARE(CurrentPointer(), Pointer::Hourglass);
    QVERIFY(!ErrorFlag);
    QVERIFY(messages.entries.isEmpty());
    QCOMPARE(ModelList.ModelCount, 3);
    QCOMPARE(AppSettings.ModelName, QStringLiteral("ZX-P700"));
    QVERIFY(!SplashMode);
    // The first start writes nothing; the file appears at exit.
    QVERIFY(!CheckSettingsFile());
}

void TestDlgVer::settingsFileFound()
{
    ScopedDataFolder folder;
    QVERIFY(folder.write(SettingsFileName, GoodSettings));
    QVERIFY(folder.write(ModelDataFileName, GoodModels));
    MessageLog messages;

    const SplashRun run = RunSplash();
    QVERIFY(run.finished);
    QCOMPARE(run.notices, 0);
    QVERIFY(!ErrorFlag);
    QVERIFY(messages.entries.isEmpty());
    QCOMPARE(AppSettings.COMPort, 3);
    QCOMPARE(AppSettings.SerialNo, QStringLiteral("Printer041"));
    QCOMPARE(ModelList.ModelIndex, 2);
    QCOMPARE(AppSettings.ModelName, QStringLiteral("ZX-P750"));
}

void TestDlgVer::failedLoading_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QByteArray>("models"); // "(none)": no file
    QTest::addColumn<QString>("title");     // of the one message; empty: none
    QTest::addColumn<QString>("text");      // part of its text
    QTest::addColumn<bool>("settingsLoaded");
    QTest::newRow("settings header wrong")
        << QByteArray("Settings\r\nCOMPort =  3\r\n") << GoodModels << ""
        << "" << false;
    QTest::newRow("settings file empty")
        << QByteArray() << GoodModels << "ERROR!" << SettingsFileName << false;
    QTest::newRow("model data missing")
        << GoodSettings << QByteArray("(none)") << "ERROR!" << ModelDataFileName << true;
    QTest::newRow("model data header wrong")
        << GoodSettings << QByteArray("Models\r\n35ZX-P700\r\n") << "Model Data ERROR!"
        << "Failed to load the Model data." << true;
}

void TestDlgVer::failedLoading()
{
    QFETCH(QByteArray, settings);
    QFETCH(QByteArray, models);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(bool, settingsLoaded);
    ScopedDataFolder folder;
    QVERIFY(folder.write(SettingsFileName, settings));
    if (models != "(none)")
        QVERIFY(folder.write(ModelDataFileName, models));
    MessageLog messages;

    const SplashRun run = RunSplash();
    QVERIFY(run.finished);
    QCOMPARE(run.notices, 0);
    QVERIFY(ErrorFlag);
    QCOMPARE(messages.entries.size(), title.isEmpty() ? 0 : 1);
    if (!title.isEmpty()) {
        QCOMPARE(messages.entries.at(0).first, title);
        QVERIFY2(messages.entries.at(0).second.contains(text),
                 qPrintable(messages.entries.at(0).second));
    }
    // What was loaded before the failure stays; the model list stays empty.
    QCOMPARE(AppSettings.COMPort, settingsLoaded ? 3 : 1);
    QCOMPARE(AppSettings.ModelName, settingsLoaded ? QStringLiteral("zx-p750") : QString());
    QCOMPARE(ModelList.ModelCount, 0);
    QVERIFY(!run.progress.contains(QStringLiteral(" Completed ... ")));
    QCOMPARE(run.progress.contains(QStringLiteral(" Loading Model Data... ")), settingsLoaded);
}

void TestDlgVer::splashCannotBeDismissed()
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

void TestDlgVer::splashLastsItsFullTime()
{
    SetWaitScaleForTests(100);
    ScopedDataFolder folder;
    QVERIFY(folder.write(SettingsFileName, GoodSettings));
    QVERIFY(folder.write(ModelDataFileName, GoodModels));
    const SplashRun run = RunSplash();
    QVERIFY(run.finished);
    QVERIFY(!ErrorFlag);
    QVERIFY2(run.elapsedMs >= 1500 + 1000 + 500 + 1000, qPrintable(QString::number(run.elapsedMs)));
}

QTEST_MAIN(TestDlgVer)
#include "tst_dlgver.moc"
