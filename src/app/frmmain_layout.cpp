// The main window's controls and menus, built as the form lays them out.

#include "app/clickablelabel.h"
#include "app/frmmain.h"
#include "app/ledindicator.h"
#include "app/modelname.h"
#include "common/latin1validator.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace {

// The form's font; where it is not installed Qt picks the nearest family.
const QString FormFontFamily = QStringLiteral("Arial Unicode MS");

template <typename Widget> Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit* MakeCodeBox(QWidget* parent, const char* name, int pointSize, int maxLength)
{
    auto* box = Named(new QLineEdit(parent), name);
    box->setFont(QFont(FormFontFamily, pointSize, QFont::Bold));
    box->setMaxLength(maxLength);
    // Room for a full entry of wide letters, so no entry scrolls out of sight.
    const QFontMetrics metrics(box->font());
    box->setMinimumWidth(metrics.horizontalAdvance(QString(maxLength, QLatin1Char('W'))) + 16);
    // Each character goes to the printer as one byte.
    box->setValidator(new Common::Latin1Validator(box));
    return box;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false); // Enter goes to the window's default button
    return button;
}

} // namespace

void FrmMain::createControls()
{
    setFont(QFont(FormFontFamily, 9));
    auto* central = new QWidget(this);
    setCentralWidget(central);

    // Created in tab order: the code box first.
    TxtSNo = MakeCodeBox(central, "TxtSNo", 24, 10);
    TxtSNo->setText(QStringLiteral("Printer001"));
    CmdSetSNo = MakeButton(central, "CmdSetSNo", QStringLiteral("Set S/No."));
    CmdGetSNo = MakeButton(central, "CmdGetSNo", QStringLiteral("Get S/No."));
    CmdNumInc = MakeButton(central, "CmdNumInc", QStringLiteral("Inc."));
    CmdSNoBack = MakeButton(central, "CmdSNoBack", QStringLiteral("Back"));
    CmdSNoBack->setVisible(false);
    LblAutoInc = Named(new QLabel(QStringLiteral("(Auto Inc.)"), central), "LblAutoInc");

    TxtModelName = MakeCodeBox(central, "TxtModelName", 18, Common::ModelNameTypingLimit);
    TxtModelName->setText(QStringLiteral("Text1"));
    TxtModelName->setReadOnly(true);
    CmdRegModel = MakeButton(central, "CmdRegModel", QStringLiteral("Set Model Name"));
    CmdGetModel = MakeButton(central, "CmdGetModel", QStringLiteral("Get Model name"));
    CmdRegModel->setVisible(false);
    CmdGetModel->setVisible(false);
    LblModelID = Named(new Common::ClickableLabel(central), "LblModelID");
    // Empty until clicked, yet wide enough to be clicked.
    LblModelID->setMinimumSize(40, 20);

    LblComment[0] = Named(new QLabel(QStringLiteral("Model Name:"), central), "LblComment_0");
    LblComment[1] = Named(new QLabel(QStringLiteral("Serial No. (Identification No.)"), central),
                          "LblComment_1");
    LblComment[2] = Named(new QLabel(QStringLiteral("Interface:"), central), "LblComment_2");
    LblIFInfo =
        Named(new QLabel(QStringLiteral("COM1:  19200bps, 8bits, None-Parity, DTR/DSR"), central),
              "LblIFInfo");
    LEDPortCondition = Named(new Common::LedIndicator(central), "LEDPortCondition");
    LEDPortCondition->setVisible(false);
    Line1 = Named(new QFrame(central), "Line1");
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);

    auto* grid = new QGridLayout(central);
    grid->addWidget(LblComment[1], 0, 0, 1, 3);
    grid->addWidget(TxtSNo, 1, 0, 1, 3);
    grid->addWidget(CmdSetSNo, 1, 3);
    grid->addWidget(CmdGetSNo, 1, 4);
    grid->addWidget(CmdNumInc, 2, 0);
    grid->addWidget(CmdSNoBack, 2, 1);
    grid->addWidget(LblAutoInc, 2, 2);
    grid->addWidget(LblComment[0], 3, 0);
    grid->addWidget(LblModelID, 3, 4);
    grid->addWidget(TxtModelName, 4, 0, 1, 3);
    grid->addWidget(CmdRegModel, 4, 3);
    grid->addWidget(CmdGetModel, 4, 4);
    grid->addWidget(Line1, 5, 0, 1, 5);
    grid->addWidget(LblComment[2], 6, 0);
    grid->addWidget(LblIFInfo, 7, 0, 1, 4);
    grid->addWidget(LEDPortCondition, 7, 4, Qt::AlignCenter);
    grid->setColumnStretch(2, 1);

    TmrPortCheck.setObjectName(QStringLiteral("TmrPortCheck"));
    TmrPortCheck.setInterval(200);
    TmrWait.setObjectName(QStringLiteral("TmrWait"));
}

void FrmMain::createMenus()
{
    auto action = [](QMenu* menu, const char* name, const QString& caption) {
        return Named(menu->addAction(caption), name);
    };
    auto separator = [](QMenu* menu, const char* name) {
        return Named(menu->addSeparator(), name);
    };

    MnuFile = Named(menuBar()->addMenu(QStringLiteral("&File")), "MnuFile");
    MnuFileRecord = action(MnuFile, "MnuFileRecord", QStringLiteral("&Record ..."));
    MnuFileS1 = separator(MnuFile, "MnuFileS1");
    MnuFileRecord->setVisible(false);
    MnuFileS1->setVisible(false);
    MnuFileExit = action(MnuFile, "MnuFileExit", QStringLiteral("E&xit"));
    MnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    MnuSet = Named(menuBar()->addMenu(QStringLiteral("&Set")), "MnuSet");
    MnuSetIF = action(MnuSet, "MnuSetIF", QStringLiteral("&Interface ..."));
    MnuSetS1 = separator(MnuSet, "MnuSetS1");
    MnuSetModel = action(MnuSet, "MnuSetModel", QStringLiteral("&Model ..."));
    MnuSetS2 = separator(MnuSet, "MnuSetS2");
    MnuSetSNo = action(MnuSet, "MnuSetSNo", QStringLiteral("Identification &Configuration ..."));
    MnuSetSS = separator(MnuSet, "MnuSetSS");
    MnuSetModelName = action(MnuSet, "MnuSetModelName", QStringLiteral("&Change Model Name ..."));
    MnuSetModelName->setCheckable(true);

    MnuHelp = Named(menuBar()->addMenu(QStringLiteral("&Help")), "MnuHelp");
    MnuHelpVersion = action(MnuHelp, "MnuHelpVersion", QStringLiteral("&Version Information ..."));
    MnuHelpS1 = separator(MnuHelp, "MnuHelpS1");
    MnuHelpNotice = action(MnuHelp, "MnuHelpNotice", QStringLiteral("&Notice ..."));
}
