#include "dialogs/dlgnote.h"

#include "common/appsettings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString LineBreak = QStringLiteral("\r\n");
}

DlgNote::DlgNote(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Notice"));
    LblNote = new QLabel(QStringLiteral("Notice"), this);
    LblNote->setWordWrap(true);
    LblNote->setTextFormat(Qt::PlainText);
    LblNote->setMinimumWidth(480);
    CmfClose = new QPushButton(QStringLiteral("Close"), this);
    // Enter presses the default button; Escape rejects the dialog, which
    // closes it just the same.
    CmfClose->setDefault(true);
    CmfClose->setAutoDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmfClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LblNote);
    layout->addLayout(buttons);

    connect(CmfClose, &QPushButton::clicked, this, &DlgNote::CmfClose_Click);
    Form_Load();
}

void DlgNote::Form_Load()
{
    const bool firstStart = !Common::DialogCancelled;
    if (firstStart)
        setWindowTitle(QStringLiteral("Welcome!"));
    // The label breaks lines at LF; CR LF is how the page is kept.
    QString shown = NoticeText(firstStart);
    shown.replace(LineBreak, QStringLiteral("\n"));
    LblNote->setText(shown);
}

void DlgNote::CmfClose_Click()
{
    accept();
}

QString DlgNote::NoticeText(bool firstStart)
{
    QString text;
    if (firstStart)
        text = QStringLiteral("At first, please read the following note.") + LineBreak + LineBreak;
    text += QStringLiteral("When selecting except the Serial and Parallel I/F, ");
    text +=
        QStringLiteral("please execute the communication when the printer is online condition.");
    text += LineBreak;
    text += QStringLiteral(
        "If the printer is offline, the software is not able to find the printer conditions.");
    text += LineBreak + LineBreak;
    text += QStringLiteral("The software condition is saved when it is exited. ");
    text += QStringLiteral("But if the Windows driver is selected, it is not saved. And the "
                           "interface is set to Serial I/F.");
    text += LineBreak + LineBreak;
    text +=
        QStringLiteral("The registered identification code is cleared when the new F/W was led.");
    text += QLatin1Char(' ');
    text += QStringLiteral("Therefore the identification code has to register to printer again.");
    return text;
}
