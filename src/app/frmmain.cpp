#include "app/frmmain.h"

#include "app/buildinterfaceinfo.h"
#include "app/clickablelabel.h"
#include "app/ledindicator.h"
#include "app/modelname.h"
#include "app/serialnumber.h"
#include "app/singleinstance.h"
#include "common/appsettings.h"
#include "common/msgbox.h"
#include "common/pointer.h"
#include "common/wincolour.h"
#include "dialogs/dlgver.h"
#include "link/link.h"
#include "link/portio.h"
#include "record/recordstore.h"
#include "settings/initglobals.h"
#include "settings/settingsfile.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

using namespace Common;

namespace {
FrmMain* g_mainForm = nullptr;
} // namespace

namespace Common {

FrmMain& MainForm()
{
    Q_ASSERT(g_mainForm);
    return *g_mainForm;
}

bool HasMainForm()
{
    return g_mainForm != nullptr;
}

} // namespace Common

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent)
{
    Q_ASSERT(!g_mainForm);
    g_mainForm = this;
    setWindowTitle(QStringLiteral("Identification of Talvik Printers"));
    createControls();
    createMenus();
    initConnections();
    SetDefaultButton(CmdSetSNo);
    TxtSNo->setFocus(Qt::OtherFocusReason);
    RegisterWaitTimer(&TmrWait);
    SetPortCheckSwitch([this](bool on) {
        if (on)
            TmrPortCheck.start();
        else
            TmrPortCheck.stop();
    });
}

FrmMain::~FrmMain()
{
    SetPortCheckSwitch(nullptr);
    if (&ActiveWaitTimer() == &TmrWait)
        RegisterWaitTimer(nullptr);
    g_mainForm = nullptr;
}

void FrmMain::initConnections()
{
    connect(MnuFileRecord, &QAction::triggered, this, &FrmMain::MnuFileRecord_Click);
    connect(MnuFileExit, &QAction::triggered, this, &FrmMain::MnuFileExit_Click);
    connect(MnuSetModelName, &QAction::triggered, this, &FrmMain::MnuSetModelName_Click);
    connect(TxtSNo, &QLineEdit::textChanged, this, &FrmMain::TxtSNo_Change);
    connect(CmdNumInc, &QPushButton::clicked, this, &FrmMain::CmdNumInc_Click);
    connect(CmdSNoBack, &QPushButton::clicked, this, &FrmMain::CmdSNoBack_Click);
    connect(TxtModelName, &QLineEdit::textChanged, this, &FrmMain::TxtModelName_Change);
    connect(LblModelID, &ClickableLabel::clicked, this, &FrmMain::LblModelID_Click);
    connect(&TmrPortCheck, &QTimer::timeout, this, &FrmMain::TmrPortCheck_Timer);
    connect(CmdSetSNo, &QPushButton::clicked, this, &FrmMain::CmdSetSNo_Click);
    connect(CmdGetSNo, &QPushButton::clicked, this, &FrmMain::CmdGetSNo_Click);
    connect(CmdRegModel, &QPushButton::clicked, this, &FrmMain::CmdRegModel_Click);
    connect(CmdGetModel, &QPushButton::clicked, this, &FrmMain::CmdGetModel_Click);
    connect(MnuSetIF, &QAction::triggered, this, &FrmMain::MnuSetIF_Click);
    connect(MnuSetModel, &QAction::triggered, this, &FrmMain::MnuSetModel_Click);
    connect(MnuSetSNo, &QAction::triggered, this, &FrmMain::MnuSetSNo_Click);
    connect(MnuHelpVersion, &QAction::triggered, this, &FrmMain::MnuHelpVersion_Click);
    connect(MnuHelpNotice, &QAction::triggered, this, &FrmMain::MnuHelpNotice_Click);
}

void FrmMain::SetDefaultButton(QPushButton* button)
{
    if (defaultButton_ == button)
        return;
    if (defaultButton_)
        defaultButton_->setDefault(false);
    defaultButton_ = button;
    if (defaultButton_)
        defaultButton_->setDefault(true);
}

bool FrmMain::event(QEvent* e)
{
    // Activation may come before the window is fully shown, and some window
    // managers never activate a new window: both events ask for it, and
    // Form_Activate acts only once.
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show)
        QMetaObject::invokeMethod(this, &FrmMain::Form_Activate, Qt::QueuedConnection);
    return QMainWindow::event(e);
}

void FrmMain::closeEvent(QCloseEvent* e)
{
    // A disabled window cannot be closed, and neither can one whose handler
    // is still waiting: unloading under a running operation would pull the
    // port and the timers from under it.
    if (!isEnabled() || WaitPending) {
        e->ignore();
        return;
    }
    Form_Unload();
    e->accept();
}

void FrmMain::keyPressEvent(QKeyEvent* e)
{
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    // A focused button takes Enter itself; elsewhere (a text box) the default
    // button does. A button outside a dialog passes Enter on to its window,
    // so both cases arrive here.
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    QPushButton* target = focused ? focused : defaultButton_;
    if (enter && plain && target && target->isVisible() && target->isEnabled()) {
        target->click();
        return;
    }
    QMainWindow::keyPressEvent(e);
}

void FrmMain::Form_Load()
{
    SplashMode = true;
    if (!ClaimSingleInstance()) {
        anotherInstance_ = true;
        Form_Unload(); // SplashMode is still set: nothing is saved
        return;
    }
    InitGlobals();
    SetPointer(Pointer::Hourglass);
}

void FrmMain::Form_Activate()
{
    if (!SplashMode)
        return; // the start-up runs on the first activation only
    setEnabled(false);
    ShowStartupSplash(this); // runs the start-up loading and clears SplashMode
    SplashMode = false;      // once, whatever the start-up did
    DoEvents();
    if (ErrorFlag)
        enterProgramErrorState();
    else
        fillFromSettings();
    setEnabled(true);
    if (MnuSetModelName->isEnabled())
        MnuSetModelName->trigger(); // model-name editing on
    SetPointer(Pointer::Default);
}

void FrmMain::enterProgramErrorState()
{
    TxtSNo->setMaxLength(10);
    TxtSNo->setText(QStringLiteral("Prg ERROR!"));
    TxtSNo->setEnabled(false);
    SetBackColor(TxtSNo, ColourRed);
    // After the text: its change handler enables "Set S/No." for a full code.
    MnuSet->setEnabled(false);
    CmdSetSNo->setEnabled(false);
    CmdGetSNo->setEnabled(false);
    MsgBox(QStringLiteral("The tool environment is damaging.\r\n"
                          "Please confirm the software environment."),
           QStringLiteral("Program ERROR!"));
}

void FrmMain::fillFromSettings()
{
    ShowModelName(AppSettings.ModelName);
    BuildInterfaceInfo();
    ApplySelectedModel();
    UpdateSerialNumber(SNoRefresh);
    openRecord();
}

void FrmMain::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    TmrPortCheck.stop();
    TmrWait.TmrWait.stop();
    ShutdownWinIo();
    if (AppSettings.PortOpen)
        ClosePort();
    // Only when the start-up ran and the window is not in the program error
    // state: otherwise the settings in memory are not the operator's.
    if (!SplashMode && MnuSet->isEnabled())
        SaveSettings(TxtSNo->text());
}

void FrmMain::TmrPortCheck_Timer()
{
    switch (AppSettings.Interface) {
    case Serial:
        LEDPortCondition->setForeColor(MSComm().dsrHolding() ? ColourGreen : ColourRed);
        break;
    case Parallel:
        LEDPortCondition->setForeColor(LptNotReady() ? ColourRed : ColourGreen);
        break;
    default:
        break; // no condition line to watch
    }
}

void FrmMain::MnuFileExit_Click()
{
    close();
}
