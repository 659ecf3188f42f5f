// The identification configuration dialog: loading, the delayed fill, the
// checks of "Set" and what it stores.
#include "dialogs/dlgsncfg.h"

#include "common/appsettings.h"
#include "common/msgbox.h"
#include "common/pointer.h"
#include "dialogs/listcontrols.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Common;

namespace {

constexpr int FirstSpaceChar = 0x20;
constexpr int LastSpaceChar = 0x7E;

// "sp (20h)", then each printable character with its code: "!(21h)" .. "~(7Eh)".
QStringList SpaceCharEntries()
{
    QStringList entries{QStringLiteral("sp (20h)")};
    for (int code = FirstSpaceChar + 1; code <= LastSpaceChar; ++code)
        entries << QStringLiteral("%1(%2h)").arg(QChar(code), QString::number(code, 16).toUpper());
    return entries;
}

bool AllDigits(const QString& text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace

DlgSNCfg::~DlgSNCfg()
{
    // Closed before the delayed fill ran: the hourglass it set must not stay.
    if (TmrInitSet.isActive())
        SetPointer(Pointer::Default);
}

void DlgSNCfg::Form_Load()
{
    FillList(CboSpcChar, SpaceCharEntries());
    SelectEntry(CboColumns, AppSettings.SNoLength - 1);
    CboColumns->setEnabled(false); // the code length is fixed
    TmrInitSet.start();
    setEnabled(false);
    SetPointer(Pointer::Hourglass);
}

void DlgSNCfg::CboColumns_Click()
{
    const int columns = CboColumns->currentIndex() + 1;
    if (columns < 1)
        return;
    TxtSNo->setMaxLength(columns);
    TxtSNo->setText(QString(columns, QLatin1Char('X')));
    SelectEntry(CboStartNum, 0);
    SelectEntry(CboNumLen, 0);
    SelectEntry(CboAlign, 0);
    SelectEntry(CboSpcChar, 0);
    ChkAutoInc->setChecked(false);
}

void DlgSNCfg::TmrInitSet_Timer()
{
    TmrInitSet.stop();
    TxtSNo->setText(AppSettings.SerialNo);
    SelectEntry(CboStartNum, AppSettings.SNoNumCol - 1);
    SelectEntry(CboNumLen, AppSettings.SNoNumLen);
    SelectEntry(CboAlign, AppSettings.SNoAlign);
    SelectEntry(CboSpcChar, AppSettings.SNoSpcChar - FirstSpaceChar);
    ChkAutoInc->setChecked(AppSettings.AutoInc);
    setEnabled(true);
    SetPointer(Pointer::Default);
}

void DlgSNCfg::TxtSNo_Change()
{
    CmdSet->setEnabled(TxtSNo->text().size() == CboColumns->currentIndex() + 1);
}

// The characters of the code from the start column, as many as the number
// length, fewer where the code ends first.
QString DlgSNCfg::numberPart() const
{
    return TxtSNo->text().mid(CboStartNum->currentIndex(), CboNumLen->currentIndex());
}

bool DlgSNCfg::entriesConsistent() const
{
    const int columns = CboColumns->currentIndex() + 1;
    const int startColumn = CboStartNum->currentIndex() + 1;
    const int numberLength = CboNumLen->currentIndex();
    if (columns < 1 || startColumn < 1 || numberLength < 0 || CboSpcChar->currentIndex() < 0 ||
        CboAlign->currentIndex() < 0 || TxtSNo->text().size() != columns)
        return false;
    // A: the number part must reach the end of the code.
    if (columns > startColumn + numberLength)
        return false;
    // B: the number part holds digits only.
    return AllDigits(numberPart());
}

void DlgSNCfg::CmdSet_Click()
{
    if (!entriesConsistent()) {
        MsgBox(QStringLiteral("Some set items are not correct."), QStringLiteral("Code ERROR!"));
        return;
    }
    storeSettings();
    DialogCancelled = false;
    accept();
}

void DlgSNCfg::storeSettings()
{
    AppSettings.SNoAlign = static_cast<std::uint8_t>(CboAlign->currentIndex());
    AppSettings.AutoInc = ChkAutoInc->isChecked();
    AppSettings.SNoLength = static_cast<std::uint8_t>(CboColumns->currentIndex() + 1);
    AppSettings.SNoNumCol = static_cast<std::uint8_t>(CboStartNum->currentIndex() + 1);
    AppSettings.SNoNumLen = static_cast<std::uint8_t>(CboNumLen->currentIndex());
    AppSettings.SerialNo = TxtSNo->text();
    AppSettings.SNoSpcChar = static_cast<std::uint8_t>(CboSpcChar->currentIndex() + FirstSpaceChar);
    // At most six digits, all checked: the value always fits.
    AppSettings.StartNum = numberPart().toInt();
}

void DlgSNCfg::CmdCancel_Click()
{
    reject();
}
