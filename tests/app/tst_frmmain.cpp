// The main window: its failed start, Enter and the focused button, the
// model-name controls, the settings dialogs' effect, the window held while a
// handler pauses, the close, the port-condition lamp, the code field and its
// advance; its small widgets and the pause itself. All at the suite's pace
// but realTime, the one place for the pauses the operator times.

#include "environment.h"
#include "settingsrecord.h"
#include "simprinter.h"
#include "widgetdriver.h"

#include "app/buildinterfaceinfo.h"
#include "app/busystate.h"
#include "app/clickablelabel.h"
#include "app/ledindicator.h"
#include "app/serialnumber.h"
#include "common/appsettings.h"
#include "common/wincolour.h"
#include "dialogs/dlgifset.h"
#include "dialogs/dlgmodel.h"
#include "dialogs/dlgsncfg.h"
#include "link/link.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <optional>

using namespace Common;
using namespace TestSupport;

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
    // Model-name editing: the menu item ticked, the box writable, its buttons shown.
    static QList<bool> editing(const FrmMain& f)
    {
        return {f.MnuSetModelName->isChecked(), !f.TxtModelName->isReadOnly(),
                f.CmdRegModel->isVisible(), f.CmdGetModel->isVisible()};
    }
    template <typename Dialog> void choose(QAction* item, std::function<void(Dialog&)> operate)
    {
        const auto answered = AnswerModal<Dialog>(std::move(operate));
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
        QVERIFY(!f.TxtSNo->isEnabled());
        QCOMPARE(BackColor(f.TxtSNo), std::uint32_t(ColourRed));
    }

    void enterAndTheFocusedButton()
    {
        FrmMain& f = start(VirtualCom, QStringLiteral("ZX-Q51"));
        QSignalSpy setSNo(f.CmdSetSNo, &QPushButton::clicked);
        QTest::keyClick(f.TxtSNo, Qt::Key_Return);
        QTest::keyClick(f.TxtSNo, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(setSNo.count(), 2);
        // Typing marks the code edited and takes its number, but sets no code;
        // one too short cannot be set.
        f.TxtSNo->end(false);
        QTest::keyClick(f.TxtSNo, Qt::Key_Backspace);
        QCOMPARE(ForeColor(f.TxtSNo), std::uint32_t(ColourBlue));
        QCOMPARE(AppSettings.StartNum, 0);
        QVERIFY(!f.CmdNumInc->isVisible() && !f.CmdSetSNo->isEnabled());
        QTest::keyClick(f.TxtSNo, Qt::Key_Return);
        f.SetDefaultButton(nullptr);
        QTest::keyClicks(f.TxtSNo, QStringLiteral("78")); // ten characters at most
        QCOMPARE(f.TxtSNo->text(), QStringLiteral("Printer007"));
        QCOMPARE(AppSettings.StartNum, 7);
        QCOMPARE(f.DefaultButton(), f.CmdSetSNo);
        QCOMPARE(AppSettings.SerialNo, QStringLiteral("Printer001"));
        // A name of five characters may be set, with Enter.
        QSignalSpy setName(f.CmdRegModel, &QPushButton::clicked);
        f.TxtModelName->selectAll();
        QTest::keyClicks(f.TxtModelName, QStringLiteral("ZX-Q"));
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
            for (const QString& text : {QStringLiteral("A\u0100"), QString::fromUcs4(U"\U0001F600"),
                                        QStringLiteral("A\u00FF")})
                box->insert(text); // as a paste
            QCOMPARE(box->text(), QStringLiteral("A\u00FF"));
        }
    }

    // Each dialog left with "Set" (or Enter) puts its settings into effect,
    // any other way out leaves the window as it was.
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
        HistoryCount = 3;
        f.CmdSNoBack->show();
        choose<DlgModel>(f.MnuSetModel, [set](DlgModel& dlg) {
            ChooseRow(dlg.LstModel, 0);
            set ? PressKey(&dlg, Qt::Key_Return) : Click(dlg.CmdCancel);
        });
        QCOMPARE(ModelId, std::uint8_t(set ? 0x35 : 0x51));
        // Only model 51h on the virtual COM port may have its name changed: the
        // first activation switched editing on, a new model switches it off.
        QCOMPARE(editing(f), QList<bool>(4, !set));
        QCOMPARE(f.MnuSetModelName->isEnabled(), !set);
        f.MnuSetModelName->trigger(); // toggles it where the model allows it
        QCOMPARE(editing(f), QList<bool>(4, false));
        choose<DlgIFSet>(f.MnuSetIF, [set](DlgIFSet& dlg) {
            ChooseEntry(dlg.CboIF, DlgIFSet::ParallelPage);
            set ? Click(dlg.CmdSet) : PressKey(&dlg, Qt::Key_Escape);
        });
        QCOMPARE(AppSettings.ActiveInterface, std::uint8_t(set ? Parallel : VirtualCom));
        choose<DlgSNCfg>(f.MnuSetSNo, [set](DlgSNCfg& dlg) {
            QVERIFY(QTest::qWaitFor([&dlg] { return dlg.isEnabled(); }, 10000));
            TypeText(dlg.TxtSNo, QStringLiteral("Label00042"));
            Click(set ? dlg.CmdSet : dlg.CmdCancel);
        });
        // "Set" restarts the code and its history.
        QCOMPARE(f.TxtSNo->text(), set ? QStringLiteral("Label00042") : "Printer001");
        QCOMPARE(AppSettings.StartNum, set ? 42 : 1);
        QCOMPARE(HistoryCount, std::uint8_t(set ? 0 : 3));
        QCOMPARE(f.CmdSNoBack->isHidden(), set);
    }

    // An interface change (between closing the old port and opening the new
    // one) and the code's refresh keep the operator out, then give the focus
    // back; the refresh shows the code blue, then black. Neither a busy window
    // nor a handler's pause may be closed under the operation; Ctrl+Q closes
    // an idle one, and with it the port kept open and the port I/O.
    void windowHeld()
    {
        FrmMain& f = start(Serial, QStringLiteral("ZX-P700"));
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
            QVERIFY(held && f.isEnabled());
            QCOMPARE(f.focusWidget(), f.TxtSNo);
        }
        QCOMPARE(colour, std::uint32_t(ColourBlue));
        QCOMPARE(ForeColor(f.TxtSNo), std::uint32_t(ColourBlack));

        AppSettings.PortOpen = true;
        OpenPort();
        {
            BusyState busy;
            QVERIFY(!f.close());
        }
        QTimer::singleShot(0, &f, [&f] { f.close(); });
        QTimer::singleShot(5000, &f, [] { WaitPending = false; }); // a pause cut short hangs
        WaitMs(200); // a handler's pause, the window enabled
        QVERIFY(QTest::qWaitForWindowActive(&f) && MSComm().portOpen());
        QCOMPARE(env_->portIo->shutdownCalls, 0);
        QTest::keyClick(&f, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!f.isVisible() && !f.TmrPortCheck.isActive() && !MSComm().portOpen());
        QCOMPARE(env_->portIo->shutdownCalls, 1);
    }

    // line: DSR held when not 0, and the parallel status register; each
    // interface looks at its own line only.
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

    // The code shown after the refresh and after each press: "w" the printer
    // takes the code "Set S/No." wrote, "f" it refuses it, "i" "Inc.", "b"
    // "Back", "B" the "Back" handler with the button hidden (a click queued
    // before), "=text" typed. "Back" is offered exactly while there is
    // history; startNum: StartNum at the end.
    void codeField_data()
    {
        QTest::addColumn<QString>("row"); // settings | steps | codes | startNum
        const auto row = [](const char* name, const QString& row) { QTest::newRow(name) << row; };
        row("write, inc, back",
            " | w,i,b,b | Printer001,Printer002,Printer003,Printer002,Printer001 | 1");
        row("wraps after 999", "StartNum=999 | w,w | Printer999,Printer000,Printer001 | 1");
        row("no number part", "SNoNumLen=0 SerialNo=ABCDEFGHIJ | w,i,w | "
                              "ABCDEFGHIJ,ABCDEFGHIJ,ABCDEFGHIJ,ABCDEFGHIJ | 1");
        row("auto-advance off",
            "AutoInc=0 StartNum=5 | w,i | Printer005,Printer005,Printer005 | 5");
        // A restored code after a refused write takes StartNum, not its own number.
        row("back after a refusal", " | w,f,b | Printer001,Printer002,Printer002,Printer002 | 2");
        // A typed code keeps its number through a refused write, and through a
        // write that does not advance.
        row("refused typed code", " | =Printer555,f | Printer001,Printer555,Printer555 | 555");
        row("typed code, no advance",
            "AutoInc=0 | =Printer050,w | Printer001,Printer050,Printer050 | 50");
        row("leading blanks, zero-filled",
            " | =Printer 07,w | Printer001,Printer 07,Printer008 | 8");
        row("a letter ends the number", " | =Printer3A2,f | Printer001,Printer3A2,Printer003 | 3");
        // "000123": only "000" fits in the code.
        row("number past the end", "SNoNumLen=6 StartNum=123 | w | Printer000,Printer000 | 1");
        row("inside the code",
            "SNoLength=5 SNoNumCol=2 SNoNumLen=2 SerialNo=12345 | w | 10145,10245 | 2");
        row("six digits", "SNoNumCol=3 SNoNumLen=6 SerialNo=AB999999CD StartNum=999999 | w | "
                          "AB999999CD,AB000000CD | 1000000");
        // Ten codes are kept: after eleven writes "Back" ends at the second.
        QStringList codes;
        for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 2})
            codes << QStringLiteral("Printer%1").arg(n, 3, 10, QLatin1Char('0'));
        row("eleven writes, ten backs, empty history", " | " + QStringLiteral("w,").repeated(11) +
                                                           QStringLiteral("b,").repeated(10) +
                                                           "B | " + codes.join(u',') + " | 2");
    }
    void codeField()
    {
        QFETCH(QString, row);
        const QStringList part = row.split(QStringLiteral(" | "));
        env_->install();
        FrmMain& f = env_->openForm();
        QVERIFY(Apply(AppSettings, part[0]));
        UpdateSerialNumber(SNoRefresh);
        QCOMPARE(f.CmdNumInc->isVisible(), AppSettings.SNoNumLen != 0);
        QCOMPARE(f.LblAutoInc->isVisible(), AppSettings.AutoInc);
        QStringList shown{f.TxtSNo->text()};
        for (const QString& step : part[1].split(u',')) {
            if (step.startsWith(u'=')) {
                f.TxtSNo->selectAll();
                QTest::keyClicks(f.TxtSNo, step.mid(1));
            } else if (step == u"i") {
                ErrorFlag = true; // "Inc." clears it itself
                QTest::mouseClick(f.CmdNumInc, Qt::LeftButton);
            } else if (step == u"b") {
                QTest::mouseClick(f.CmdSNoBack, Qt::LeftButton);
            } else if (step == u"B") {
                f.CmdSNoBack_Click();
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

    // Timers run during a pause, and a pause started inside it ends both (how
    // long a pause lasts is timed in realTime).
    void waitMsAndWidgets()
    {
        bool innerDone = false;
        QTimer::singleShot(20, this, [&innerDone] {
            WaitMs(400);
            innerDone = true;
        });
        QElapsedTimer clock;
        clock.start();
        WaitMs(100000);
        QVERIFY(innerDone && clock.elapsed() < 80000 * WaitScalePercent() / 100);

        // Colours hold in a disabled box and show in the lamp; the label clicks
        // as a button does.
        QLineEdit box;
        SetForeColor(&box, ColourBlue);
        SetBackColor(&box, ColourRed);
        box.setEnabled(false);
        QCOMPARE(box.palette().color(QPalette::Disabled, QPalette::Text), QColor(Qt::blue));
        QCOMPARE(box.palette().color(QPalette::Disabled, QPalette::Base), QColor(Qt::red));
        LedIndicator lamp;
        lamp.resize(lamp.sizeHint());
        lamp.setForeColor(ColourGreen);
        const QImage image = lamp.grab().toImage();
        // Below and right of the highlight the lamp shows its plain colour.
        const QColor pixel = image.pixelColor(image.width() * 2 / 3, image.height() * 2 / 3);
        QVERIFY2(pixel.green() > 200 && pixel.red() < 80 && pixel.blue() < 80,
                 qPrintable(pixel.name()));
        ClickableLabel label;
        label.resize(60, 20);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QSignalSpy clicked(&label, &ClickableLabel::clicked);
        QTest::mouseClick(&label, Qt::LeftButton);
        QTest::mouseClick(&label, Qt::RightButton);
        QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(200, 5)); // released outside
        QCOMPARE(clicked.count(), 1);
    }

    // Real time: "Set S/No." sends GS I 1, 200 ms + 100 ms later the 33 bytes
    // in one piece, then waits the printer's 2000 ms and the code's 200 ms
    // refresh; a click on the model identifier shows it as two upper-case hex
    // digits for 2 s, the window shut meanwhile.
    void realTime()
    {
        env_->startOn(VirtualCom, 0x35,
                      QStringLiteral("ZX-P700")); // the start-up at the suite's pace
        env_->seams.waitScale(100);
        env_->printer->clearCommandLog();
        FrmMain& f = *env_->form;
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(&f, Qt::Key_Return);
        const qint64 total = clock.elapsed();
        const auto& log = env_->printer->commandLog();
        const qint64 gap = log.at(1).atMs - log.at(0).atMs;
        QVERIFY2(gap >= 280 && gap <= 320, qPrintable(QString::number(gap)));
        QVERIFY(log.back().atMs - log.at(1).atMs <= 5); // one write
        QVERIFY2(total >= 2500 && total <= 2720, qPrintable(QString::number(total)));

        ModelId = 0xAF;
        QString during;
        QTimer::singleShot(1000, &f, [&] {
            during = f.LblModelID->text() + (f.isEnabled() ? " enabled" : " shut");
        });
        clock.restart();
        QTest::mouseClick(f.LblModelID, Qt::LeftButton);
        QVERIFY2(clock.elapsed() >= 2000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(during, QStringLiteral("AF shut"));
        QVERIFY(f.LblModelID->text().isEmpty() && f.isEnabled());
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
