// The identification configuration dialog: its controls and layout.
#include "dialogs/dlgsncfg.h"

#include "common/latin1validator.h"
#include "common/waitms.h"
#include "dialogs/listcontrols.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using Common::FillList;
using Common::Latin1Validator;

namespace {

// Numbered entries three characters wide: "  1" .. " 10".
QStringList NumberEntries(int first, int last)
{
    QStringList entries;
    for (int n = first; n <= last; ++n)
        entries << QStringLiteral("%1").arg(n, 3);
    return entries;
}

QComboBox* MakeList(const QString& name, QWidget* parent, const QStringList& entries = {})
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    FillList(list, entries);
    return list;
}

} // namespace

DlgSNCfg::DlgSNCfg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Identification conditions"));
    // Paced like every other pause, so that tests can shorten it.
    TmrInitSet.setInterval(300 * Common::WaitScalePercent() / 100);
    TmrInitSet.setSingleShot(true);
    createControls();
    createLayout();
    initConnections();
    Form_Load();
}

QLabel* DlgSNCfg::makeLabel(int index, const QString& caption)
{
    auto* label = new QLabel(caption, this);
    label->setObjectName(QStringLiteral("LblComment_%1").arg(index));
    LblComment[static_cast<std::size_t>(index)] = label;
    return label;
}

void DlgSNCfg::createControls()
{
    makeLabel(0, QStringLiteral("First Identification Mode"));
    makeLabel(1, QStringLiteral("Columns"));
    makeLabel(2, QStringLiteral("Start column of Number"));
    makeLabel(3, QStringLiteral("Number length"));
    makeLabel(4, QStringLiteral("Space Char code"));
    makeLabel(5, QStringLiteral("Space direction"));

    CboColumns = MakeList(QStringLiteral("CboColumns"), this, NumberEntries(1, 10));
    TxtSNo = new QLineEdit(this);
    TxtSNo->setObjectName(QStringLiteral("TxtSNo"));
    // The code goes to the printer and the settings file one byte a character.
    TxtSNo->setValidator(new Latin1Validator(TxtSNo));
    CboStartNum = MakeList(QStringLiteral("CboStartNum"), this, NumberEntries(1, 10));
    CboNumLen = MakeList(QStringLiteral("CboNumLen"), this, NumberEntries(0, 6));
    CboSpcChar = MakeList(QStringLiteral("CboSpcChar"), this); // filled on load
    CboAlign = MakeList(QStringLiteral("CboAlign"), this,
                        {QStringLiteral(" Left side"), QStringLiteral(" Right side")});
    ChkAutoInc = new QCheckBox(QStringLiteral("Auto Increment"), this);
    ChkAutoInc->setObjectName(QStringLiteral("ChkAutoInc"));

    CmdSet = new QPushButton(QStringLiteral("Set"), this);
    CmdSet->setObjectName(QStringLiteral("CmdSet"));
    CmdSet->setDefault(true);
    CmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
}

void DlgSNCfg::createLayout()
{
    auto* grid = new QGridLayout;
    grid->addWidget(LblComment[0], 0, 0, 1, 2);
    grid->addWidget(LblComment[1], 1, 0);
    grid->addWidget(CboColumns, 1, 1);
    grid->addWidget(TxtSNo, 2, 0, 1, 2);
    grid->addWidget(LblComment[2], 3, 0);
    grid->addWidget(CboStartNum, 3, 1);
    grid->addWidget(LblComment[3], 4, 0);
    grid->addWidget(CboNumLen, 4, 1);
    grid->addWidget(LblComment[4], 5, 0);
    grid->addWidget(CboSpcChar, 5, 1);
    grid->addWidget(LblComment[5], 6, 0);
    grid->addWidget(CboAlign, 6, 1);
    grid->addWidget(ChkAutoInc, 7, 0, 1, 2);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(CmdSet);
    buttons->addWidget(CmdCancel);
    buttons->addStretch(1);

    auto* whole = new QHBoxLayout(this);
    whole->addLayout(grid, 1);
    whole->addLayout(buttons);
}

void DlgSNCfg::initConnections()
{
    connect(CboColumns, &QComboBox::currentIndexChanged, this, &DlgSNCfg::CboColumns_Click);
    connect(&TmrInitSet, &QTimer::timeout, this, &DlgSNCfg::TmrInitSet_Timer);
    connect(TxtSNo, &QLineEdit::textChanged, this, &DlgSNCfg::TxtSNo_Change);
    connect(CmdSet, &QPushButton::clicked, this, &DlgSNCfg::CmdSet_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &DlgSNCfg::CmdCancel_Click);
}
