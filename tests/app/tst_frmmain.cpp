// The main window, all at the suite's pace but realTime, the one place for the pauses the
// operator times; then the program as a process, and what holds its close back.

#include "environment.h"
#include "settingsrecord.h"
#include "simprinter.h"
#include "widgetdriver.h"

#include "app/buildinterfaceinfo.h"
#include "app/busystate.h"
#include "app/clickablelabel.h"
#include "app/ledindicator.h"
#include "app/serialnumber.h"
#include "app/singleinstance.h"
#include "common/appsettings.h"
#include "common/termsignals.h"
#include "common/wincolour.h"
#include "dialogs/dlgifset.h"
#include "link/link.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <array>
#include <csignal>
#include <optional>

using namespace Common;
using namespace TestSupport;

namespace {
constexpr int kTimeoutMs = 60000; // a loaded machine starts programs slowly
const QByteArray OldHeader = "Zentab    01.Jan.20  00:00";

bool Ended(QProcess& program, int exitCode)
{
    return program.waitForFinished(kTimeoutMs) && program.exitStatus() == QProcess::NormalExit &&
           program.exitCode() == exitCode;
}
} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

    std::optional<Environment> env_;

    // A ready window; a virtual COM port leads nowhere, a serial one to the fake.
    FrmMain& start(std::uint8_t kind, const QString& model)
    {
        env_->install();
        QFile::link(env_->path(QStringLiteral("gone")), env_->path(QStringLiteral("COM1")));
        env_->start(kind == VirtualCom ? "Interface = VirtualCOM\r\n" : "", model);
        return *env_->form;
    }
    // Operates the dialog the menu item opens, once it takes input.
    static void choose(QAction* item, const QString& steps)
    {
        const auto answered = AnswerModal<QDialog>([steps](QDialog& dlg) {
            QVERIFY(QTest::qWaitFor([&dlg] { return dlg.isEnabled(); }, 10000));
            QVERIFY2(Operate(&dlg, steps), qPrintable(steps));
        });
        item->trigger();
        QVERIFY(*answered);
    }

private Q_SLOTS:
    void init() { env_.emplace(); }

    void programErrorState()
    {
        env_->install();
        FrmMain& f = env_->openForm(false);
        f.Form_Load(); // nothing to load: the start-up fails
        f.show();
        QTRY_VERIFY(!SplashMode && f.isEnabled());
        QVERIFY(!f.TxtSNo->isEnabled() && BackColor(f.TxtSNo) == ColourRed);
        // The colour holds in the disabled box.
        QCOMPARE(f.TxtSNo->palette().color(QPalette::Disabled, QPalette::Base), QColor(Qt::red));
    }

    void enterAndTheFocusedButton()
    {
        FrmMain& f = start(VirtualCom, QStringLiteral("ZX-Q51"));
        QSignalSpy setSNo(f.CmdSetSNo, &QPushButton::clicked);
        QTest::keyClick(f.TxtSNo, Qt::Key_Return);
        QTest::keyClick(f.TxtSNo, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(setSNo.count(), 2);
        // Typing marks the code edited and takes its number, but sets no code; one too short
        // cannot be set.
        f.TxtSNo->end(false);
        QTest::keyClick(f.TxtSNo, Qt::Key_Backspace);
        QVERIFY(ForeColor(f.TxtSNo) == ColourBlue && AppSettings.StartNum == 0 &&
                !f.CmdNumInc->isVisible() && !f.CmdSetSNo->isEnabled());
        QTest::keyClick(f.TxtSNo, Qt::Key_Return);
        f.SetDefaultButton(nullptr);
        QTest::keyClicks(f.TxtSNo, QStringLiteral("78")); // ten characters at most
        QCOMPARE(f.TxtSNo->text(), QStringLiteral("Printer007"));
        QVERIFY(AppSettings.StartNum == 7 && f.DefaultButton() == f.CmdSetSNo);
        QCOMPARE(AppSettings.SerialNo, QStringLiteral("Printer001"));
        // A name of five characters may be set, with Enter.
        QSignalSpy setName(f.CmdRegModel, &QPushButton::clicked);
        TypeText(f.TxtModelName, QStringLiteral("ZX-Q"));
        QVERIFY(!f.CmdRegModel->isEnabled());
        QTest::keyClicks(f.TxtModelName, QStringLiteral("5"));
        QTest::keyClick(f.TxtModelName, Qt::Key_Return);
        QCOMPARE(setName.count(), 1);
        // A focused button takes Enter itself, whatever the default button.
        f.CmdNumInc->show(); // "Inc." shows "Back"; "Get S/No." hides "Inc."
        for (QPushButton* button :
             {f.CmdNumInc, f.CmdSNoBack, f.CmdGetSNo, f.CmdRegModel, f.CmdGetModel}) {
            f.SetDefaultButton(f.CmdSetSNo);
            QSignalSpy clicked(button, &QPushButton::clicked);
            button->setFocus(Qt::TabFocusReason);
            QTest::keyClick(button, Qt::Key_Return);
            QVERIFY2(clicked.count() == 1, qPrintable(button->text()));
        }
        QCOMPARE(setSNo.count(), 2);
        // Both boxes take Latin-1 only, up to its last character.
        for (QLineEdit* box : {f.TxtSNo, f.TxtModelName}) {
            box->clear();
            for (const char32_t* text : {U"A\u0100", U"\U0001F600", U"A\u00FF"})
                box->insert(QString::fromUcs4(text)); // as a paste
            QCOMPARE(box->text(), QStringLiteral("A\u00FF"));
        }
    }

    // Left with "Set" (or Enter) a dialog puts its settings into effect, else changes nothing.
    void settingsDialogs_data()
    {
        QTest::addColumn<bool>("set");
        QTest::newRow("Set") << true;
        QTest::newRow("other way out") << false;
    }
    void settingsDialogs()
    {
        QFETCH(bool, set);
        FrmMain& f = start(VirtualCom, QStringLiteral("ZX-Q51"));
        const auto editing = [&f] {
            return QList<bool>{f.MnuSetModelName->isChecked(), !f.TxtModelName->isReadOnly(),
                               f.CmdRegModel->isVisible(), f.CmdGetModel->isVisible()};
        };
        HistoryCount = 3;
        f.CmdSNoBack->show();
        choose(f.MnuSetModel, set ? "LstModel=0 Return" : "LstModel=0 CmdCancel");
        QCOMPARE(ModelId, std::uint8_t(set ? 0x35 : 0x51));
        // Only model 51h on the virtual COM port may have its name changed: the
        // first activation switched editing on, a new model switches it off.
        QCOMPARE(editing(), QList<bool>(4, !set));
        QCOMPARE(f.MnuSetModelName->isEnabled(), !set);
        f.MnuSetModelName->trigger(); // toggles it where the model allows it
        QCOMPARE(editing(), QList<bool>(4, false));
        choose(f.MnuSetIF, QStringLiteral("CboIF=%1 ").arg(DlgIFSet::ParallelPage) +
                               (set ? "CmdSet" : "Escape"));
        QCOMPARE(AppSettings.ActiveInterface, std::uint8_t(set ? Parallel : VirtualCom));
        choose(f.MnuSetSNo, set ? "TxtSNo=Label00042 CmdSet" : "TxtSNo=Label00042 CmdCancel");
        // "Set" restarts the code and its history.
        QCOMPARE(f.TxtSNo->text(), set ? QStringLiteral("Label00042") : "Printer001");
        QCOMPARE(AppSettings.StartNum, set ? 42 : 1);
        QVERIFY(HistoryCount == (set ? 0 : 3) && f.CmdSNoBack->isHidden() == set);
    }

    // An interface change and the code's refresh keep the operator out, then give the focus
    // back; the refresh shows the code blue, then black. Neither a held window nor a handler's
    // pause may be closed; Ctrl+Q closes an idle one, and with it the open port and the port I/O.
    void windowHeld()
    {
        FrmMain& f = start(Serial, QStringLiteral("ZX-P700"));
        // A pause whose window was closed under it never ends by itself.
        QTimer::singleShot(5000, &f, [] { WaitPending = false; });
        const std::function<void()> pauses[] = {BuildInterfaceInfo,
                                                [] { UpdateSerialNumber(SNoRefresh); }};
        std::uint32_t colour = 0;
        for (const auto& pause : pauses) {
            f.TxtSNo->setFocus();
            bool held = false;
            QTimer::singleShot(0, &f, [&] {
                held = !f.isEnabled() && f.focusWidget() != f.TxtSNo;
                colour = ForeColor(f.TxtSNo);
            });
            pause();
            QVERIFY(held && f.isEnabled() && f.focusWidget() == f.TxtSNo);
        }
        QVERIFY(colour == ColourBlue && ForeColor(f.TxtSNo) == ColourBlack);

        std::optional<BusyState> busy(std::in_place);
        QVERIFY(!f.close());
        busy.reset();
        AppSettings.PortOpen = true;
        OpenPort();
        QTimer::singleShot(0, &f, [&f] { f.close(); });
        WaitMs(200); // a handler's pause, the window enabled
        QVERIFY(QTest::qWaitForWindowActive(&f) && MSComm().portOpen() &&
                env_->portIo->shutdownCalls == 0);
        QTest::keyClick(&f, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!f.isVisible() && !f.TmrPortCheck.isActive() && !MSComm().portOpen());
        QCOMPARE(env_->portIo->shutdownCalls, 1);
    }

    // line: DSR held when not 0, and the parallel status register; each interface reads its own.
    void portConditionLamp_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("line");
        QTest::addColumn<std::uint32_t>("colour");
        const std::uint32_t green = ColourGreen, red = ColourRed, untouched = ColourBlue;
        QTest::newRow("serial, DSR held") << int(Serial) << 0x01 << green;
        QTest::newRow("serial, no DSR") << int(Serial) << 0x00 << red;
        QTest::newRow("parallel ready, low bits ignored") << int(Parallel) << 0xDF << green;
        QTest::newRow("parallel busy") << int(Parallel) << 0x58 << red;
        QTest::newRow("parallel, paper end") << int(Parallel) << 0xF8 << red;
        QTest::newRow("USB") << int(USB) << 0xD8 << untouched;
    }
    void portConditionLamp()
    {
        QFETCH(int, kind);
        QFETCH(int, line);
        QFETCH(std::uint32_t, colour);
        env_->install();
        env_->serial->dsr = line != 0;
        env_->portIo->status = std::uint8_t(line);
        AppSettings.Interface = std::uint8_t(kind);
        FrmMain& f = env_->openForm(false);
        f.TmrPortCheck.setInterval(10);
        f.LEDPortCondition->setForeColor(ColourBlue);
        EnablePortCheck(true);
        if (colour == ColourBlue)
            QTest::qWait(50); // several ticks
        QTRY_COMPARE(f.LEDPortCondition->foreColor(), colour);
    }

    // The code shown after the refresh and after each press: "w" the printer takes the code
    // "Set S/No." wrote, "f" it refuses it, "i" "Inc.", "b" "Back", "B" the "Back" handler with
    // the button hidden (a click queued before), "=text" typed. "Back" is offered exactly while
    // there is history; startNum: StartNum at the end. "#" stands for "Printer".
    void codeField_data()
    {
        QTest::addColumn<QString>("row"); // settings | steps | codes | startNum
        const auto row = [](const char* name, const QString& row) { QTest::newRow(name) << row; };
        row("write, inc, back", " | w,i,b,b | #001,#002,#003,#002,#001 | 1");
        row("wraps after 999", "StartNum=999 | w,w | #999,#000,#001 | 1");
        row("no number part", "SNoNumLen=0 SerialNo=ABCDEFGHIJ | w,i,w | "
                              "ABCDEFGHIJ,ABCDEFGHIJ,ABCDEFGHIJ,ABCDEFGHIJ | 1");
        row("auto-advance off", "AutoInc=0 StartNum=5 | w,i | #005,#005,#005 | 5");
        // A restored code after a refused write takes StartNum, not its own number.
        row("back after a refusal", " | w,f,b | #001,#002,#002,#002 | 2");
        // A typed code keeps its number through a refused write and one that does not advance.
        row("refused typed code", " | =#555,f | #001,#555,#555 | 555");
        row("typed code, no advance", "AutoInc=0 | =#050,w | #001,#050,#050 | 50");
        row("leading blanks, zero-filled", " | =# 07,w | #001,# 07,#008 | 8");
        row("a letter ends the number", " | =#3A2,f | #001,#3A2,#003 | 3");
        // "000123": only "000" fits in the code.
        row("number past the end", "SNoNumLen=6 StartNum=123 | w | #000,#000 | 1");
        row("inside the code",
            "SNoLength=5 SNoNumCol=2 SNoNumLen=2 SerialNo=12345 | w | 10145,10245 | 2");
        row("six digits", "SNoNumCol=3 SNoNumLen=6 SerialNo=AB999999CD StartNum=999999 | w | "
                          "AB999999CD,AB000000CD | 1000000");
        // Ten codes are kept: after eleven writes "Back" ends at the second.
        row("eleven writes, ten backs, empty history",
            " | w,w,w,w,w,w,w,w,w,w,w,b,b,b,b,b,b,b,b,b,b,B | #001,#002,#003,#004,#005,#006,#007,"
            "#008,#009,#010,#011,#012,#011,#010,#009,#008,#007,#006,#005,#004,#003,#002,#002 | 2");
    }
    void codeField()
    {
        QFETCH(QString, row);
        const QStringList part = row.replace(u'#', QStringLiteral("Printer")).split(" | ");
        env_->install();
        FrmMain& f = env_->openForm();
        QVERIFY(Apply(AppSettings, part[0]));
        UpdateSerialNumber(SNoRefresh);
        QVERIFY(f.CmdNumInc->isVisible() == (AppSettings.SNoNumLen != 0) &&
                f.LblAutoInc->isVisible() == AppSettings.AutoInc);
        QStringList shown{f.TxtSNo->text()};
        for (const QString& step : part[1].split(u',')) {
            if (step.startsWith(u'=')) {
                TypeText(f.TxtSNo, step.mid(1));
            } else if (step == u"i") {
                ErrorFlag = true; // "Inc." clears it itself
                QTest::mouseClick(f.CmdNumInc, Qt::LeftButton);
            } else if (step == u"b") {
                QTest::mouseClick(f.CmdSNoBack, Qt::LeftButton);
            } else if (step == u"B") {
                f.CmdSNoBack_Click(); // as a click queued before the button went
            } else {
                ErrorFlag = step == u"f";
                AppSettings.SerialNo = f.TxtSNo->text();
                UpdateSerialNumber(SNoAdvance);
            }
            shown << f.TxtSNo->text();
            QVERIFY2(f.CmdSNoBack->isVisible() == (HistoryCount > 0), qPrintable(step));
        }
        QCOMPARE(shown, part[2].split(u','));
        QCOMPARE(AppSettings.StartNum, part[3].toInt());
    }

    // Timers run during a pause, and a pause started inside it ends both (how long a pause
    // lasts is timed in realTime). The lamp shows its colour.
    void pauseAndLamp()
    {
        bool innerDone = false;
        QTimer::singleShot(20, this, [&innerDone] {
            WaitMs(400);
            innerDone = true;
        });
        const QDeadlineTimer deadline(80000 * WaitScalePercent() / 100);
        WaitMs(100000);
        QVERIFY(innerDone && !deadline.hasExpired());
        LedIndicator lamp; // as large as a window not yet shown
        lamp.setForeColor(ColourGreen);
        const QImage image = lamp.grab().toImage();
        // Below and right of the highlight the lamp shows its plain colour.
        const QColor pixel = image.pixelColor(image.width() * 2 / 3, image.height() * 2 / 3);
        QVERIFY2(pixel.green() > 200 && pixel.red() < 80 && pixel.blue() < 80,
                 qPrintable(pixel.name()));
    }

    // "Set S/No." sends GS I 1, 200 ms + 100 ms later the 33 bytes in one piece, then waits the
    // printer's 2000 ms and the code's 200 ms refresh; a left click released on the model
    // identifier shows it as two upper-case hex digits for 2 s, the window shut meanwhile.
    void realTime()
    {
        env_->startOn(VirtualCom, 0x35, QStringLiteral("ZX-P700")); // at the suite's pace
        env_->seams.waitScale(100);
        env_->printer->clearCommandLog();
        FrmMain& f = *env_->form;
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(&f, Qt::Key_Return);
        const qint64 total = clock.elapsed();
        const auto& log = env_->printer->commandLog();
        const qint64 gap = log.at(1).atMs - log.at(0).atMs;
        QVERIFY(log.back().atMs - log.at(1).atMs <= 5); // one write
        QVERIFY2(gap >= 280 && gap <= 320 && total >= 2500 && total <= 2720,
                 qPrintable(QStringLiteral("%1 ms, %2 ms").arg(gap).arg(total)));

        QSignalSpy clicked(f.LblModelID, &ClickableLabel::clicked);
        QTest::mouseClick(f.LblModelID, Qt::RightButton);
        QTest::mousePress(f.LblModelID, Qt::LeftButton, {}, QPoint(1, 1));
        QTest::mouseRelease(f.LblModelID, Qt::LeftButton, {}, QPoint(-5, 1)); // outside
        ModelId = 0xAF;
        QString during;
        QTimer::singleShot(1000, &f, [&] {
            during = f.LblModelID->text() + (f.isEnabled() ? " enabled" : " shut");
        });
        clock.restart();
        QTest::mouseClick(f.LblModelID, Qt::LeftButton);
        QVERIFY2(clock.elapsed() >= 2000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(during, QStringLiteral("AF shut"));
        QVERIFY(f.LblModelID->text().isEmpty() && f.isEnabled() && clicked.count() == 1);
    }

    // The row name is the command line; an answer goes to stdout only, a refusal to stderr only.
    void commandLine_data()
    {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("answer"); // a pattern
        const QString version =
            QString::asprintf("\\Azentab %d\\.%d\\.%d\\n\\z", ZENTAB_VERSION_MAJOR,
                              ZENTAB_VERSION_MINOR, ZENTAB_VERSION_PATCH);
        QTest::newRow("-v") << 0 << version;
        QTest::newRow("-style fusion --version") << 0 << version; // Qt's own option beside it
        QTest::newRow("--help") << 0 << "(?s)--help.*--version";
        QTest::newRow("--no-such-option") << 2 << "(?s)no-such-option.*--help";
    }
    void commandLine()
    {
        QFETCH(int, exitCode);
        QFETCH(QString, answer);
        QProcess program; // with no display of any kind: it would abort if it needed one
        QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            system.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(system);
        program.start(QStringLiteral(ZENTAB_APP_BINARY),
                      QString::fromLatin1(QTest::currentDataTag()).split(u' '));
        QVERIFY(Ended(program, exitCode));
        const QString out = program.readAllStandardOutput(), err = program.readAllStandardError();
        QVERIFY2((exitCode ? err : out).contains(QRegularExpression(answer)),
                 qPrintable(out + err));
        QVERIFY2((exitCode ? out : err).isEmpty(), qPrintable(out + err));
    }

    // Three programs, each in folders of its own, get a signal during the start-up (the splash
    // makes it last 4 s); a second program beside the first ends at once and writes nothing.
    // A folder where no lock can be made says nothing about another instance.
    void signalEndsTheProgramInOrder()
    {
        std::array<Environment, 3> envs;
        QVERIFY(InstanceLock(envs[0].path(QStringLiteral("missing/deeper"))).tryAcquire());
        std::array<QProcess*, 3> programs{};
        const int signalNumbers[] = {SIGTERM, SIGHUP, SIGINT};
        const auto lock = [&envs](int i) { return envs[i].runtimeDir.filePath("zentab.lock"); };
        for (int i = 0; i < 3; ++i) {
            QVERIFY(envs[i].write("Models.Dat", "Zentab\r\n35ZX-P700\r\n"));
            QVERIFY(envs[i].write("Zentab.ini",
                                  OldHeader + "\r\nModelName = ZX-P700\r\nInterface = Parallel\r\n"
                                              "SerialNo = Printer007\r\nStartNum = 7\r\n"));
            programs[i] = &envs[i].startProgram(QStringLiteral(ZENTAB_APP_BINARY));
            // The lock is taken once the program serves the signals.
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock(i)), kTimeoutMs);
        }

        QVERIFY(Ended(envs[0].startProgram(QStringLiteral(ZENTAB_APP_BINARY)), 0));
        QVERIFY(programs[0]->state() == QProcess::Running && QFile::exists(lock(0)));
        QCOMPARE(envs[0].files(), (QStringList{"Models.Dat", "Zentab.ini"}));
        QVERIFY(envs[0].read(QStringLiteral("Zentab.ini")).startsWith(OldHeader));

        for (int i = 0; i < 3; ++i)
            QCOMPARE(::kill(pid_t(programs[i]->processId()), signalNumbers[i]), 0);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(Ended(*programs[i], 0));
            const QByteArray written = envs[i].read(QStringLiteral("Zentab.ini"));
            QVERIFY2(written.startsWith("Zentab ") && !written.startsWith(OldHeader) &&
                         written.contains("SerialNo = Printer007\r\n"),
                     QByteArray::number(signalNumbers[i]) + ": " + written);
        }
    }

    // A modal dialog is closed first; a disabled window (an operation or the start-up runs)
    // and a waiting handler are let finish.
    void closeWhenIdle()
    {
        QWidget window;
        window.show();
        QDialog dialog(&window);
        QTimer::singleShot(0, &window, [&window] { CloseWhenIdle(window); });
        QTimer::singleShot(5000, &dialog, [&dialog] { dialog.done(99); }); // left open
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));                   // closed
        // WaitPending ends with this test, also when a check fails.
        const auto resume = qScopeGuard([] { WaitPending = false; });
        for (const bool waiting : {false, true}) {
            window.setEnabled(waiting);
            WaitPending = waiting;
            QTest::qWait(250);
            QVERIFY(window.isVisible());
        }
        WaitPending = false;
        QTRY_VERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
