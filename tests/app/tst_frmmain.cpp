// The main window: its controls and menus, the start-up on first
// activation, the program error state, the default button, the port-condition
// lamp and the unload.

#include "appfixture.h"

#include "app/busystate.h"
#include "app/clickablelabel.h"
#include "app/frmmain.h"
#include "app/ledindicator.h"
#include "app/pointer.h"
#include "app/wincolour.h"
#include "settings/appsettings.h"

#include <QAction>
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
    std::unique_ptr<FrmMain> form_;

    FrmMain& form() { return *form_; }

    // Load and first activation. ready: the start-up loading succeeded.
    void start(bool ready, std::uint8_t modelId = 0x20, std::uint8_t interfaceKind = Serial)
    {
        form().Form_Load();
        QVERIFY(!form().AnotherInstanceRunning());
        QCOMPARE(CurrentPointer(), Pointer::Hourglass);
        ErrorFlag = !ready;
        ModelList = ModelListRecord{};
        ModelList.ModelCount = 1;
        ModelList.ModelIds.at(0) = modelId;
        ModelList.ModelIndex = 1;
        AppSettings.Interface = interfaceKind;
        AppSettings.ModelName = QStringLiteral("ZX-Q20");
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        QTRY_VERIFY(!SplashMode && form().isEnabled() && CurrentPointer() == Pointer::Default);
    }

    QStringList captions(QMenu* menu)
    {
        QStringList out;
        for (QAction* action : menu->actions())
            out << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return out;
    }

private Q_SLOTS:
    void initTestCase() { env_ = std::make_unique<AppTest::Environment>(); }
    void cleanupTestCase() { env_.reset(); }

    void init()
    {
        env_->install();
        SplashMode = false;
        form_ = std::make_unique<FrmMain>();
    }
    void cleanup()
    {
        form_.reset();
        SetPointer(Pointer::Default);
    }

    void controlsAsCreated()
    {
        QCOMPARE(form().windowTitle(), QStringLiteral("Identification of Talvik Printers"));
        QCOMPARE(form().font().family(), QStringLiteral("Arial Unicode MS"));
        QCOMPARE(form().font().pointSize(), 9);
        const QFont code = form().TxtSNo->font();
        QCOMPARE(code.pointSize(), 24);
        QVERIFY(code.bold());
        QCOMPARE(form().TxtSNo->maxLength(), 10);
        QCOMPARE(form().TxtSNo->text(), QStringLiteral("Printer001"));
        const QFont name = form().TxtModelName->font();
        QCOMPARE(name.pointSize(), 18);
        QVERIFY(name.bold());
        QCOMPARE(form().TxtModelName->maxLength(), 12);
        QVERIFY(form().TxtModelName->isReadOnly());
        QCOMPARE(form().DefaultButton(), form().CmdSetSNo);
        QVERIFY(form().CmdSetSNo->isDefault());
        QVERIFY(form().LblModelID->text().isEmpty());
        QVERIFY(!form().TmrPortCheck.isActive());
        QCOMPARE(form().TmrPortCheck.interval(), 200);

        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        QCOMPARE(form().focusWidget(), form().TxtSNo); // first in tab order
        QVERIFY(form().CmdNumInc->isVisible());
        QVERIFY(form().LblAutoInc->isVisible());
        for (QWidget* hidden :
             {static_cast<QWidget*>(form().CmdSNoBack), static_cast<QWidget*>(form().CmdRegModel),
              static_cast<QWidget*>(form().CmdGetModel)})
            QVERIFY2(!hidden->isVisible(), qPrintable(hidden->objectName()));
        // Every control can be found by its name.
        for (const char* name : {"TxtSNo", "CmdSetSNo", "CmdGetSNo", "CmdNumInc", "CmdSNoBack",
                                 "LblAutoInc", "TxtModelName", "CmdRegModel", "CmdGetModel",
                                 "LblModelID", "LblIFInfo", "LEDPortCondition", "Line1"})
            QVERIFY2(form().findChild<QWidget*>(QLatin1String(name)), name);
    }

    void menus()
    {
        QCOMPARE(captions(form().MnuFile), QStringList{QStringLiteral("E&xit")});
        QCOMPARE(captions(form().MnuSet),
                 (QStringList{"&Interface ...", "-", "&Model ...", "-",
                              "Identification &Configuration ...", "-", "&Change Model Name ..."}));
        QCOMPARE(captions(form().MnuHelp),
                 (QStringList{"&Version Information ...", "-", "&Notice ..."}));
        QVERIFY(form().MnuSetModelName->isCheckable());
        QCOMPARE(form().MnuFileExit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    }

    void programErrorState()
    {
        start(false);
        QCOMPARE(env_->messages.size(), 1);
        QCOMPARE(env_->messages.at(0).first, QStringLiteral("Program ERROR!"));
        QCOMPARE(env_->messages.at(0).second,
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
        QVERIFY(form().MnuSetModelName->isChecked());
        QVERIFY(!form().TxtModelName->isReadOnly());
        QVERIFY(form().CmdRegModel->isVisible());

        // A later activation changes nothing.
        form().hide();
        form().show();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(form_.get(), &activate);
        QTest::qWait(50);
        QCOMPARE(env_->messages.size(), 1);
        QCOMPARE(form().TxtSNo->text(), QStringLiteral("Prg ERROR!"));
        QVERIFY(!form().MnuSet->isEnabled());

        form().close();
        QVERIFY(!form().isVisible());
        QCOMPARE(env_->portIo->shutdownCalls, 1);
        QVERIFY(QDir(env_->dataDir.path()).isEmpty()); // nothing saved
    }

    void readyState_data()
    {
        QTest::addColumn<int>("modelId");
        QTest::addColumn<int>("interfaceKind");
        QTest::addColumn<bool>("nameEditing");
        QTest::newRow("model 51h, virtual COM") << 0x51 << int(VirtualCom) << true;
        QTest::newRow("model 51h, serial") << 0x51 << int(Serial) << false;
        QTest::newRow("other model, virtual COM") << 0x20 << int(VirtualCom) << false;
    }
    void readyState()
    {
        QFETCH(int, modelId);
        QFETCH(int, interfaceKind);
        QFETCH(bool, nameEditing);
        start(true, std::uint8_t(modelId), std::uint8_t(interfaceKind));
        QVERIFY(env_->messages.isEmpty());
        QCOMPARE(ModelId, std::uint8_t(modelId));
        QCOMPARE(form().TxtSNo->text(), QStringLiteral("Printer001"));
        QCOMPARE(ForeColor(form().TxtSNo), std::uint32_t(ColourBlack));
        QVERIFY(form().TxtSNo->isEnabled());
        QVERIFY(form().MnuSet->isEnabled());
        QVERIFY(form().CmdSetSNo->isEnabled());
        QCOMPARE(form().DefaultButton(), form().CmdSetSNo);
        QCOMPARE(form().TxtModelName->text(), QStringLiteral("ZX-Q20"));
        QCOMPARE(form().MnuSetModelName->isEnabled(), nameEditing);
        QCOMPARE(form().MnuSetModelName->isChecked(), nameEditing);
        QCOMPARE(form().CmdGetModel->isVisible(), nameEditing);
        QCOMPARE(form().TxtModelName->isReadOnly(), !nameEditing);
    }

    void enterClicksTheDefaultButton()
    {
        start(true, 0x51, VirtualCom);
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
    }

    void codeBoxesRefuseCharactersOutsideLatin1()
    {
        start(true, 0x51, VirtualCom);
        for (QLineEdit* box : {form().TxtSNo, form().TxtModelName}) {
            box->clear();
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QStringLiteral("\u00E9"),
                                Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QStringLiteral("\u0416"),
                                Qt::NoModifier);
            box->insert(QStringLiteral("A\u20ACB")); // as a paste
            box->insert(QStringLiteral("\u00FF"));
            QCOMPARE(box->text(), QStringLiteral("\u00E9\u00FF"));
        }
    }

    void ctrlQClosesUnlessBusy()
    {
        start(true);
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        {
            BusyState busy;
            QTest::keyClick(form_.get(), Qt::Key_Q, Qt::ControlModifier);
            QVERIFY(form().isVisible());
        }
        QCOMPARE(env_->portIo->shutdownCalls, 0);
        QTest::keyClick(form_.get(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!form().isVisible());
        QCOMPARE(env_->portIo->shutdownCalls, 1);
    }

    void noUnloadWhileAHandlerWaits()
    {
        start(true);
        SetWaitScaleForTests(100);
        QTimer::singleShot(50, this, [this] { form().close(); });
        WaitMs(300);
        SetWaitScaleForTests(5);
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

    void portCheckSwitch()
    {
        EnablePortCheck(true);
        QVERIFY(form().TmrPortCheck.isActive());
        EnablePortCheck(false);
        QVERIFY(!form().TmrPortCheck.isActive());
    }

    void portConditionLamp_data()
    {
        QTest::addColumn<int>("interfaceKind");
        QTest::addColumn<bool>("dsr");
        QTest::addColumn<int>("status");
        QTest::addColumn<std::uint32_t>("colour");
        const std::uint32_t untouched = ColourBlue;
        QTest::newRow("serial, DSR held") << int(Serial) << true << 0 << std::uint32_t(ColourGreen);
        QTest::newRow("serial, no DSR") << int(Serial) << false << 0xD8 << std::uint32_t(ColourRed);
        QTest::newRow("parallel ready")
            << int(Parallel) << false << 0xD8 << std::uint32_t(ColourGreen);
        QTest::newRow("parallel, low bits ignored")
            << int(Parallel) << false << 0xDF << std::uint32_t(ColourGreen);
        QTest::newRow("parallel busy") << int(Parallel) << true << 0x58 << std::uint32_t(ColourRed);
        QTest::newRow("parallel, paper end")
            << int(Parallel) << true << 0xF8 << std::uint32_t(ColourRed);
        QTest::newRow("USB") << int(USB) << true << 0xD8 << untouched;
        QTest::newRow("virtual COM") << int(VirtualCom) << true << 0xD8 << untouched;
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
        form().TmrPortCheck.start();
        if (colour == ColourBlue)
            QTest::qWait(500); // two ticks or more
        QTRY_COMPARE(form().LEDPortCondition->foreColor(), colour);
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
