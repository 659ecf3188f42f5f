#include "app/serialnumber.h"

#include "app/busystate.h"
#include "app/frmmain.h"
#include "common/appsettings.h"
#include "common/textbox.h"
#include "common/waitms.h"
#include "common/wincolour.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace Common {

std::array<QString, SerialHistorySlots> SerialHistory;

std::int32_t ReadNumberPart(const QString& code, int col, int len)
{
    const int begin = std::max(col - 1, 0);
    const int end = std::min(col - 1 + len, int(code.size()));
    int i = begin;
    while (i < end && code.at(i) == QLatin1Char(' '))
        ++i;
    std::int32_t n = 0;
    // At most six digits: the sum cannot overflow.
    for (; i < end && code.at(i) >= QLatin1Char('0') && code.at(i) <= QLatin1Char('9'); ++i)
        n = n * 10 + (code.at(i).unicode() - '0');
    return n;
}

QString WithNumberPart(const QString& code, int col, int len, std::int32_t n)
{
    const QString digits = (QStringLiteral("0000000") + QString::number(n)).right(len);
    QString out = code;
    for (int k = 0; k < digits.size(); ++k) {
        const int at = col - 1 + k;
        if (at >= 0 && at < out.size())
            out[at] = digits.at(k);
    }
    return out;
}

namespace {

void PushHistory(const QString& code)
{
    SerialHistory.at(HistoryCount) = code;
    ++HistoryCount;
    if (HistoryCount == SerialHistorySlots) {
        // Ten codes are kept: the oldest goes.
        std::move(SerialHistory.begin() + 1, SerialHistory.end(), SerialHistory.begin());
        HistoryCount = SerialHistorySlots - 1;
    }
}

// Whether the mode reads the number from the code itself; otherwise the
// number is StartNum.
bool NumberFromCode(std::uint8_t mode)
{
    const AppSettingsRecord& s = AppSettings;
    return mode != SNoRefresh && s.SNoNumLen != 0 && s.AutoInc && !ErrorFlag;
}

// Decides the number to show; in advance mode also records the code.
std::int32_t DecideNumber(std::uint8_t mode)
{
    const AppSettingsRecord& s = AppSettings;
    if (!NumberFromCode(mode))
        return s.StartNum;
    std::int32_t n = ReadNumberPart(s.SerialNo, s.SNoNumCol, s.SNoNumLen);
    if (mode == SNoAdvance) {
        ++n;
        PushHistory(s.SerialNo);
        MainForm().CmdSNoBack->setVisible(true);
    }
    return n;
}

} // namespace

bool UpdateSerialNumber(std::uint8_t mode)
{
    FrmMain& form = MainForm();
    AppSettingsRecord& s = AppSettings;
    const bool advanced = mode == SNoAdvance && NumberFromCode(mode);
    const std::int32_t n = DecideNumber(mode);
    if (s.SNoNumLen != 0)
        s.SerialNo = WithNumberPart(s.SerialNo, s.SNoNumCol, s.SNoNumLen, n);
    SetBoxText(form.TxtSNo, s.SerialNo, s.SNoLength);
    {
        // No second operation may start while the new code is taken over:
        // it would leave StartNum behind the code shown.
        WindowHold hold;
        WaitMs(200);
    }
    SetForeColor(form.TxtSNo, ColourBlack);
    s.StartNum = n;
    form.CmdNumInc->setVisible(s.SNoNumLen != 0);
    form.LblAutoInc->setVisible(s.AutoInc);
    return advanced;
}

} // namespace Common

using namespace Common;

void FrmMain::TxtSNo_Change()
{
    // The number goes with the code shown, typed or read back: a failed write,
    // a write without advance and the save at exit all keep it. Without a
    // number part there is nothing to read.
    const AppSettingsRecord& s = AppSettings;
    AppSettings.StartNum =
        s.SNoNumLen == 0 ? 1 : ReadNumberPart(TxtSNo->text(), s.SNoNumCol, s.SNoNumLen);
    SetForeColor(TxtSNo, ColourBlue);
    const bool complete = TxtSNo->text().size() == AppSettings.SNoLength;
    CmdSetSNo->setEnabled(complete);
    if (complete)
        SetDefaultButton(CmdSetSNo);
    CmdNumInc->setVisible(false);
}

void FrmMain::CmdNumInc_Click()
{
    ErrorFlag = false;
    UpdateSerialNumber(SNoAdvance);
}

void FrmMain::CmdSNoBack_Click()
{
    if (HistoryCount == 0)
        return; // the button is hidden then; nothing to go back to
    --HistoryCount;
    AppSettings.SerialNo = SerialHistory.at(HistoryCount);
    UpdateSerialNumber(SNoRestore);
    if (HistoryCount == 0)
        CmdSNoBack->setVisible(false);
}
