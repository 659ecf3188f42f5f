// The start-up as the operator meets it: the main window's first activation
// shows the splash, which loads the settings file and the model data file;
// the window ends ready or in its program error state, and only a ready
// window writes the settings file at exit. Also the Help menu's two dialogs.

#include "../app/appfixture.h"

#include "common/appsettings.h"
#include "common/pointer.h"
#include "dialogs/dlgnote.h"
#include "dialogs/dlgver.h"
#include "settings/modeldata.h"
#include "settings/settingsfile.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace Common;

namespace {

const QDateTime ExitTime(QDate(2026, 12, 5), QTime(11, 1));
const QByteArray Models = "Zentab models\r\n35ZX-P700\r\n36ZX-P750\r\n";
const QString ProgramError = QStringLiteral("Program ERROR!");

// Answers the dialogs that come up modally while it lives: the notice is
// closed with Enter, the plain version dialog with its Close button; the
// splash closes itself.
class DialogAnswerer {
public:
    QStringList seen; // window titles, in order

    DialogAnswerer()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start(5);
    }

private:
    void answer()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* note = qobject_cast<DlgNote*>(modal)) {
            seen << note->windowTitle();
            QTest::keyClick(note, Qt::Key_Return);
        } else if (auto* version = qobject_cast<DlgVer*>(modal)) {
            if (version->CmdClose->isVisible()) {
                seen << version->windowTitle();
                version->CmdClose->click();
            }
        }
    }
    QTimer timer_;
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    std::unique_ptr<AppTest::Environment> env_;

    FrmMain& form() { return *env_->form; }
    QString dataFile(const QString& name) const { return env_->dataDir.filePath(name); }
    bool write(const QString& name, const QByteArray& bytes)
    {
        QFile file(dataFile(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    QByteArray read(const QString& name)
    {
        QFile file(dataFile(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    // Load and first activation, as the program starts.
    void start()
    {
        form().Form_Load();
        form().show();
        QTRY_VERIFY_WITH_TIMEOUT(
            !SplashMode && form().isEnabled() && CurrentPointer() == Pointer::Default, 30000);
    }
    bool inProgramErrorState()
    {
        return form().TxtSNo->text() == QLatin1String("Prg ERROR!") &&
               !form().MnuSet->isEnabled() && !form().CmdSetSNo->isEnabled() &&
               !form().CmdGetSNo->isEnabled();
    }

private Q_SLOTS:
    void initTestCase() { env_ = std::make_unique<AppTest::Environment>(); }
    void cleanupTestCase() { env_.reset(); }

    void init()
    {
        env_->install();
        SetStartupSplashForTests(nullptr); // the real splash and loading
        SetSettingsClockForTests([] { return ExitTime; });
        for (const QString& name : {SettingsFileName, ModelDataFileName})
            QFile::remove(dataFile(name));
        env_->openForm(false);
    }
    void cleanup()
    {
        env_->form.reset();
        SetSettingsClockForTests(nullptr);
        SetPointer(Pointer::Default);
    }

    void firstStartShowsTheNoticeAndEndsReady()
    {
        QVERIFY(write(ModelDataFileName, Models));
        DialogAnswerer answerer;
        start();
        QCOMPARE(answerer.seen, QStringList{QStringLiteral("Welcome!")});
        QVERIFY(!ErrorFlag);
        QVERIFY(env_->messages().isEmpty());
        QVERIFY(!inProgramErrorState());
        QCOMPARE(form().TxtModelName->text(), QStringLiteral("ZX-P700"));
        QCOMPARE(form().TxtSNo->text(), QStringLiteral("Printer001"));
        QVERIFY(!QFile::exists(dataFile(SettingsFileName)));

        form().close();
        QCOMPARE(read(SettingsFileName), QByteArray("Zentab    05.Dec.26  11:01\r\n"
                                                    "ModelName = ZX-P700\r\n"
                                                    "SerialNo = Printer001\r\n"));
    }

    void settingsComeBackAtTheNextStart()
    {
        QVERIFY(write(ModelDataFileName, Models));
        const QByteArray lines = "LPTPort =  2\r\n"
                                 "SerialNo = Counter041\r\n"
                                 "StartNum =  41\r\n";
        QVERIFY(write(SettingsFileName,
                      "Zentab    01.Jan.26  08:00\r\nModelName = zx-p750\r\n" + lines));
        DialogAnswerer answerer;
        start();
        QVERIFY(answerer.seen.isEmpty()); // no notice: not the first start
        QVERIFY(!ErrorFlag);
        QCOMPARE(form().TxtModelName->text(), QStringLiteral("ZX-P750"));
        QCOMPARE(form().TxtSNo->text(), QStringLiteral("Counter041"));
        QCOMPARE(AppSettings.LPTAddress, 0x278);
        QCOMPARE(ModelList.ModelIndex, 2);

        // Rewritten whole at exit: new date, the model name in the list's spelling.
        form().close();
        QCOMPARE(read(SettingsFileName),
                 "Zentab    05.Dec.26  11:01\r\nModelName = ZX-P750\r\n" + lines);
    }

    void failedStartEndsInTheErrorStateAndSavesNothing_data()
    {
        QTest::addColumn<QByteArray>("settings"); // "(none)": no file
        QTest::addColumn<QByteArray>("models");   // "(none)": no file
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("firstText"); // part of the first message's text
        // Every failure ends with the program error message.
        auto row = [](const char* name, const QByteArray& settings, const QByteArray& models,
                      const QString& first, const QString& text) {
            QTest::newRow(name) << settings << models << QStringList{first, ProgramError} << text;
        };
        const QByteArray good = "Zentab    01.Jan.26  08:00\r\nCOMPort =  3\r\n", none = "(none)";
        QTest::newRow("settings header wrong")
            << QByteArray("Settings\r\nCOMPort =  3\r\n") << Models << QStringList{ProgramError}
            << "The tool environment is damaging.";
        row("settings file empty", "", Models, "ERROR!", SettingsFileName);
        row("model data missing", good, none, "ERROR!", ModelDataFileName);
        row("model data header wrong", good, "Models\r\n35ZX-P700\r\n", "Model Data ERROR!",
            "Failed to load the Model data.");
        row("first start, model data missing", none, none, "ERROR!", ModelDataFileName);
    }
    void failedStartEndsInTheErrorStateAndSavesNothing()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, models);
        QFETCH(QStringList, titles);
        QFETCH(QString, firstText);
        if (settings != "(none)")
            QVERIFY(write(SettingsFileName, settings));
        if (models != "(none)")
            QVERIFY(write(ModelDataFileName, models));
        DialogAnswerer answerer;
        start();
        QVERIFY(ErrorFlag);
        QVERIFY(inProgramErrorState());
        QCOMPARE(env_->titles(), titles);
        for (const CapturedMessage& m : env_->messages())
            QVERIFY2(m.pointer == Pointer::Default, qPrintable(m.title)); // arrow, not hourglass
        QVERIFY2(env_->messages().at(0).text.contains(firstText),
                 qPrintable(env_->messages().at(0).text));
        // What was loaded before the failure stays; the model list stays empty.
        QCOMPARE(AppSettings.COMPort, settings.startsWith("Zentab") ? 3 : 1);
        QCOMPARE(ModelList.ModelCount, 0);

        form().close();
        QVERIFY(!form().isVisible());
        QCOMPARE(read(SettingsFileName), settings == "(none)" ? QByteArray("(missing)") : settings);
    }

    void helpMenuDialogs()
    {
        QVERIFY(write(ModelDataFileName, Models));
        {
            DialogAnswerer answerer;
            start(); // the first start's notice
        }
        const QString before = AppSettings.ModelName;
        QVERIFY(QFile::remove(dataFile(ModelDataFileName))); // reading it now would fail
        DialogAnswerer answerer;
        DialogCancelled = false;
        form().MnuHelpNotice->trigger();
        QVERIFY(DialogCancelled); // the menu's showing, not the first start's
        form().MnuHelpVersion->trigger();
        QCOMPARE(answerer.seen,
                 (QStringList{QStringLiteral("Notice"), QStringLiteral("Version Information")}));
        QVERIFY(env_->messages().isEmpty()); // nothing was read
        QVERIFY(!ErrorFlag);
        QCOMPARE(AppSettings.ModelName, before);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
