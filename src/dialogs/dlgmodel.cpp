#include "dialogs/dlgmodel.h"

#include "common/appsettings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Common;

DlgModel::DlgModel(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Model Selection"));
    createControls();
    initConnections();
    Form_Load();
}

void DlgModel::createControls()
{
    LblCOmment = new QLabel(QStringLiteral("Model Name"), this);
    LblCOmment->setObjectName(QStringLiteral("LblCOmment"));
    LstModel = new QListWidget(this);
    LstModel->setObjectName(QStringLiteral("LstModel"));
    LstModel->setSelectionMode(QAbstractItemView::SingleSelection);
    CmdSet = new QPushButton(QStringLiteral("Set"), this);
    CmdSet->setObjectName(QStringLiteral("CmdSet"));
    CmdSet->setDefault(true);
    CmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));

    auto* left = new QVBoxLayout;
    left->addWidget(LblCOmment);
    left->addWidget(LstModel, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(CmdSet);
    right->addWidget(CmdCancel);
    right->addStretch(1);
    auto* whole = new QHBoxLayout(this);
    whole->addLayout(left, 1);
    whole->addLayout(right);
}

void DlgModel::initConnections()
{
    connect(CmdSet, &QPushButton::clicked, this, &DlgModel::CmdSet_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &DlgModel::CmdCancel_Click);
}

void DlgModel::Form_Load()
{
    LstModel->clear();
    const int count = qMin<int>(ModelList.ModelCount, MaxModels);
    for (int k = 1; k <= count; ++k)
        LstModel->addItem(QStringLiteral(" ") +
                          ModelList.ModelNames[static_cast<std::size_t>(k - 1)]);
    LstModel->setCurrentRow(ModelList.ModelIndex - 1);
}

void DlgModel::CmdSet_Click()
{
    // The entry with the list's focus is the chosen one: Ctrl+click may take
    // the highlight away, but never the choice.
    const QListWidgetItem* chosen = LstModel->currentItem();
    if (!chosen)
        return; // an empty list offers nothing to record
    AppSettings.ModelName = chosen->text().trimmed();
    ModelList.ModelIndex = static_cast<std::uint8_t>(LstModel->currentRow() + 1);
    DialogCancelled = false;
    accept();
}

void DlgModel::CmdCancel_Click()
{
    reject();
}
