// The main window: its controls and menus, the start-up on first activation,
// the program error state, the default button, the model identifier and
// model-name controls, the port-condition lamp and the unload.

#include "appfixture.h"

#include "app/busystate.h"
#include "app/clickablelabel.h"
#include "app/ledindicator.h"
#include "app/modelname.h"
#include "common/pointer.h"
#include "common/wincolour.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace Common;

class TestFrmMain : public QObject {
    Q_OBJECT

    std::unique_ptr<AppTest::Environment> env_;

    FrmMain& form() { return *env_->form; }

    // Load and first activation. ready: the start-up loading succeeded.
    void start(bool ready, std::uint8_t modelId = 0x20, std::uint8_t interfaceKind = Serial)
    {
        form().Form_Load();
        QVERIFY(!form().AnotherInstanceRunning());
        QCOMPARE(CurrentPointer(), Pointer::Hourglass);
        ErrorFlag = !ready;
        selectModel(modelId, interfaceKind, false);
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        QTRY_VERIFY(!SplashMode && form().isEnabled() && CurrentPointer() == Pointer::Default);
    }
    void selectModel(std::uint8_t id, std::uint8_t interfaceKind, bool apply = true)
    {
        ModelList.ModelCount = 2;
        ModelList.ModelIds.at(0) = 0x20;
        ModelList.ModelIds.at(1) = id;
        ModelList.ModelIndex = 2;
        AppSettings.Interface = interfaceKind;
        AppSettings.ModelName = QStringLiteral("ZX-Q20");
        if (apply)
            ApplySelectedModel();
    }
    // Model-name editing: the menu item ticked, the box writable, its buttons shown.
    // The controls disagreeing with the menu item fails the test.
    bool nameEditing()
    {
        const bool on = form().MnuSetModelName->isChecked();
        if (form().TxtModelName->isReadOnly() == on || form().CmdRegModel->isVisible() != on ||
            form().CmdGetModel->isVisible() != on)
            QTest::qFail("model-name controls disagree with the menu item", __FILE__, __LINE__);
        return on;
    }

private Q_SLOTS:
    void initTestCase() { env_ = std::make_unique<AppTest::Environment>(); }
    void cleanupTestCase() { env_.reset(); }
    void init()
    {
        env_->install();
        env_->openForm(false);
    }
    void cleanup()
    {
        env_->form.reset();
        SetPointer(Pointer::Default);
        SetWaitScaleForTests(5);
    }

    // What the window does before any setting is applied: typing limits,
    // the first control in tab order, Enter's target, the timer and "Back".
    void asCreated()
    {
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        QCOMPARE(form().focusWidget(), form().TxtSNo);
        QVERIFY(form().CmdSetSNo->isDefault());
        QTest::keyClicks(form().TxtSNo, QStringLiteral("ABCDEFGHIJK"));
        QCOMPARE(form().TxtSNo->text().size(), 10);
        form().TxtModelName->setReadOnly(false);
        QTest::keyClicks(form().TxtModelName, QStringLiteral("ABCDEFGHIJKLMN"));
        QCOMPARE(form().TxtModelName->text().size(), 12);
        QVERIFY(!form().TmrPortCheck.isActive());
        QVERIFY(!form().CmdSNoBack->isVisible());
    }

    void programErrorState()
    {
        start(false);
        QCOMPARE(env_->messages().size(), 1);
        QCOMPARE(env_->messages().at(0).title, QStringLiteral("Program ERROR!"));
        QCOMPARE(env_->messages().at(0).text,
                 QStringLiteral("The tool environment is damaging.\r\n"
                                "Please confirm the software environment."));
        QCOMPARE(form().TxtSNo->text(), QStringLiteral("Prg ERROR!"));
        QVERIFY(!form().TxtSNo->isEnabled());
        QCOMPARE(BackColor(form().TxtSNo), std::uint32_t(ColourRed));
        QVERIFY(!form().MnuSet->isEnabled());
        QVERIFY(!form().CmdSetSNo->isEnabled());
        QVERIFY(!form().CmdGetSNo->isEnabled());
        // The model was never applied, so the menu item kept its enabled state
        // and the activation switched model-name editing on.
        QVERIFY(nameEditing());

        // A later activation changes nothing.
        form().hide();
        form().show();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&form(), &activate);
        QTest::qWait(50);
        QCOMPARE(env_->messages().size(), 1);
        QCOMPARE(form().TxtSNo->text(), QStringLiteral("Prg ERROR!"));
    }

    // Only model 51h on the virtual COM port may have its name changed; a new
    // model switches editing off.
    void modelNameEditingAllowed_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("interfaceKind");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("51h on virtual COM") << 0x51 << int(VirtualCom) << true;
        QTest::newRow("51h on serial") << 0x51 << int(Serial) << false;
        QTest::newRow("other model on virtual COM") << 0x35 << int(VirtualCom) << false;
    }
    void modelNameEditingAllowed()
    {
        QFETCH(int, id);
        QFETCH(int, interfaceKind);
        QFETCH(bool, allowed);
        form().show();
        form().MnuSetModelName->trigger();
        QVERIFY(nameEditing());
        selectModel(std::uint8_t(id), std::uint8_t(interfaceKind));
        QCOMPARE(ModelId, std::uint8_t(id));
        QCOMPARE(form().TxtModelName->text(), QStringLiteral("ZX-Q20"));
        QCOMPARE(form().MnuSetModelName->isEnabled(), allowed);
        QVERIFY(!nameEditing());
        if (!allowed)
            return;
        form().MnuSetModelName->trigger();
        QVERIFY(nameEditing());
        form().MnuSetModelName->trigger();
        QVERIFY(!nameEditing());
    }

    void nameLengthEnablesSetModelName()
    {
        form().show();
        selectModel(0x51, VirtualCom);
        form().MnuSetModelName->trigger();
        QLineEdit* box = form().TxtModelName;
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("ABCD"));
        QVERIFY(!form().CmdRegModel->isEnabled());
        form().SetDefaultButton(form().CmdSetSNo);
        QTest::keyClicks(box, QStringLiteral("E"));
        QVERIFY(form().CmdRegModel->isEnabled());
        QCOMPARE(form().DefaultButton(), form().CmdRegModel);

        SetForeColor(box, ColourRed); // as after reading the name from the printer
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(ForeColor(box), std::uint32_t(ColourBlack));
        QVERIFY(!form().CmdRegModel->isEnabled());

        // The program setting the text it already holds runs the handler too.
        SetForeColor(box, ColourRed);
        ShowModelName(box->text());
        QCOMPARE(ForeColor(box), std::uint32_t(ColourBlack));
    }

    // A click on the identifier label shows it as two upper-case hex digits
    // for two seconds, with the window disabled meanwhile.
    void peekAtTheModelId()
    {
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        ModelId = 0xAF;
        SetWaitScaleForTests(100);
        QString captionDuringWait;
        bool enabledDuringWait = true;
        QTimer::singleShot(1000, this, [&] {
            captionDuringWait = form().LblModelID->text();
            enabledDuringWait = form().isEnabled();
        });
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(form().LblModelID, Qt::LeftButton);
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(captionDuringWait, QStringLiteral("AF"));
        QVERIFY(!enabledDuringWait);
        QVERIFY2(elapsed >= 2000, qPrintable(QString::number(elapsed)));
        QVERIFY(form().LblModelID->text().isEmpty());
        QVERIFY(form().isEnabled());
    }

    void readyStateAndEnter()
    {
        start(true, 0x51, VirtualCom);
        QVERIFY(env_->messages().isEmpty());
        QCOMPARE(ModelId, std::uint8_t(0x51));
        QCOMPARE(ForeColor(form().TxtSNo), std::uint32_t(ColourBlack));
        QVERIFY(form().TxtSNo->isEnabled() && form().MnuSet->isEnabled());
        QCOMPARE(form().TxtModelName->text(), QStringLiteral("ZX-Q20"));
        QVERIFY(nameEditing()); // the first activation switches editing on where allowed
        QCOMPARE(form().DefaultButton(), form().CmdSetSNo);
        QSignalSpy setSNo(form().CmdSetSNo, &QPushButton::clicked);
        QSignalSpy setName(form().CmdRegModel, &QPushButton::clicked);
        QTest::keyClick(form().TxtSNo, Qt::Key_Return);
        QTest::keyClick(form().TxtSNo, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(setSNo.count(), 2);

        QTest::keyClick(form().TxtSNo, Qt::Key_Backspace); // a short code cannot be set
        QTest::keyClick(form().TxtSNo, Qt::Key_Return);
        QCOMPARE(setSNo.count(), 2);

        form().TxtModelName->selectAll();
        QTest::keyClicks(form().TxtModelName, QStringLiteral("ZX-Q5"));
        QCOMPARE(form().DefaultButton(), form().CmdRegModel);
        QTest::keyClick(form().TxtModelName, Qt::Key_Return);
        QCOMPARE(setName.count(), 1);
        QCOMPARE(setSNo.count(), 2);

        // A focused button takes Enter itself, whatever the default button.
        form().CmdNumInc->show(); // "Inc." shows "Back"; "Get S/No." hides "Inc."
        for (QPushButton* button : {form().CmdNumInc, form().CmdSNoBack, form().CmdGetSNo,
                                    form().CmdRegModel, form().CmdGetModel}) {
            form().SetDefaultButton(form().CmdSetSNo);
            QSignalSpy clicked(button, &QPushButton::clicked);
            button->setFocus(Qt::TabFocusReason);
            QTest::keyClick(button, Qt::Key_Return);
            QVERIFY2(clicked.count() == 1, qPrintable(button->text()));
            QCOMPARE(setSNo.count(), 2);
        }
    }

    void codeBoxesRefuseCharactersOutsideLatin1()
    {
        start(true, 0x51, VirtualCom);
        for (QLineEdit* box : {form().TxtSNo, form().TxtModelName}) {
            box->clear();
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QStringLiteral("\u00E9"),
                                Qt::NoModifier);
            box->insert(QStringLiteral("A\u0416B")); // as a paste
            QCOMPARE(box->text(), QStringLiteral("\u00E9"));
        }
    }

    void ctrlQClosesUnlessBusy()
    {
        start(true);
        QVERIFY(QTest::qWaitForWindowActive(&form()));
        {
            BusyState busy;
            QTest::keyClick(&form(), Qt::Key_Q, Qt::ControlModifier);
            QVERIFY(form().isVisible());
        }
        QCOMPARE(env_->portIo->shutdownCalls, 0);
        QTest::keyClick(&form(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!form().isVisible());
        QCOMPARE(env_->portIo->shutdownCalls, 1);
    }

    void noUnloadWhileAHandlerWaits()
    {
        start(true);
        SetWaitScaleForTests(100);
        QTimer::singleShot(50, this, [this] { form().close(); });
        WaitMs(300);
        QVERIFY(form().isVisible());
        QVERIFY(!form().TmrWait.TmrWait.isActive() && !WaitPending);
        QCOMPARE(env_->portIo->shutdownCalls, 0);
        form().close();
        QVERIFY(!form().isVisible());
        QCOMPARE(env_->portIo->shutdownCalls, 1);
    }

    void unloadClosesAKeptOpenPort_data()
    {
        QTest::addColumn<bool>("portOpen");
        QTest::newRow("kept open") << true;
        QTest::newRow("opened per operation") << false;
    }
    void unloadClosesAKeptOpenPort()
    {
        QFETCH(bool, portOpen);
        start(true);
        AppSettings.PortOpen = portOpen;
        AppSettings.ActiveInterface = Serial;
        OpenPort();
        QVERIFY(MSComm().portOpen());
        form().TmrPortCheck.start();
        form().close();
        QVERIFY(!form().TmrPortCheck.isActive());
        QCOMPARE(env_->serial->closeCalls, portOpen ? 1 : 0);
    }

    void portConditionLamp_data()
    {
        QTest::addColumn<int>("interfaceKind");
        QTest::addColumn<bool>("dsr");
        QTest::addColumn<int>("status");
        QTest::addColumn<std::uint32_t>("colour");
        const std::uint32_t green = ColourGreen, red = ColourRed, untouched = ColourBlue;
        QTest::newRow("serial, DSR held") << int(Serial) << true << 0 << green;
        QTest::newRow("serial, no DSR") << int(Serial) << false << 0xD8 << red;
        QTest::newRow("parallel ready, low bits ignored")
            << int(Parallel) << false << 0xDF << green;
        QTest::newRow("parallel busy") << int(Parallel) << true << 0x58 << red;
        QTest::newRow("parallel, paper end") << int(Parallel) << true << 0xF8 << red;
        QTest::newRow("USB") << int(USB) << true << 0xD8 << untouched;
    }
    void portConditionLamp()
    {
        QFETCH(int, interfaceKind);
        QFETCH(bool, dsr);
        QFETCH(int, status);
        QFETCH(std::uint32_t, colour);
        AppSettings.Interface = std::uint8_t(interfaceKind);
        AppSettings.LPTAddress = 0x278;
        env_->serial->dsr = dsr;
        env_->portIo->status = std::uint8_t(status);
        form().LEDPortCondition->setForeColor(ColourBlue);
        EnablePortCheck(true);
        if (colour == ColourBlue)
            QTest::qWait(500); // two ticks or more
        QTRY_COMPARE(form().LEDPortCondition->foreColor(), colour);
        EnablePortCheck(false);
        QVERIFY(!form().TmrPortCheck.isActive());
    }

    void secondInstanceEndsAtLoad()
    {
        ReleaseSingleInstance();
        InstanceLock running(DefaultInstanceLockFolder());
        QVERIFY(running.tryAcquire());
        AppSettings.COMPort = 7;
        form().Form_Load();
        QVERIFY(form().AnotherInstanceRunning());
        QVERIFY(SplashMode);
        QCOMPARE(AppSettings.COMPort, 7); // the globals were never initialised
        QCOMPARE(env_->portIo->shutdownCalls, 1);
        QCOMPARE(CurrentPointer(), Pointer::Default);
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
