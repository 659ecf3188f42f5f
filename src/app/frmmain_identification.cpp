// The main window's identification buttons: each runs its operation in the
// busy state and shows what it read or takes the code on.
#include "app/frmmain.h"

#include "app/busystate.h"
#include "app/modelname.h"
#include "app/serialnumber.h"
#include "common/appsettings.h"
#include "common/msgbox.h"
#include "common/pointer.h"
#include "common/textbox.h"
#include "common/waitms.h"
#include "common/wincolour.h"
#include "protocol/identification.h"
#include "settings/settingsfile.h"

#include <QLineEdit>
#include <QPushButton>

using namespace Common;

namespace {

// Shows a value read from the printer, whole: the text box's change handler
// runs, then the text turns red.
void ShowReadValue(QLineEdit* box, const QString& value, int typingLimit)
{
    SetBoxText(box, value, typingLimit);
    WaitMs(100);
    SetForeColor(box, ColourRed);
}

} // namespace

void FrmMain::CmdSetSNo_Click()
{
    SetForeColor(TxtSNo, ColourBlack);
    {
        // The black code is painted, but a second Enter already queued must
        // not start a second write inside this one.
        WindowHold hold;
        DoEvents();
    }
    {
        BusyState busy;
        // The record's claim comes first: a code it refuses is not sent.
        const CodeClaim claim = claimCode(TxtSNo->text());
        if (!claim.proceed) {
            ErrorFlag = true;
            return;
        }
        WriteIdentificationCode(TxtSNo->text(), ModelId,
                                recordHook(Record::Operation::SetSNo, TxtSNo->text(), claim.claim));
    }
    AppSettings.SerialNo = TxtSNo->text();
    if (UpdateSerialNumber(SNoAdvance))
        saveProgress();
}

void FrmMain::saveProgress()
{
    // Saved as an exit would save now: after a crash or a power cut the next
    // start offers the next unused code, not one a printer already carries.
    // A failing save is reported once, not again for every printer after it,
    // until a save succeeds.
    const std::optional<QString> failure = WriteSettingsFile(TxtSNo->text());
    if (failure && !progressSaveFailing_)
        MsgBox(*failure, QStringLiteral("ERROR!"));
    progressSaveFailing_ = failure.has_value();
}

void FrmMain::CmdGetSNo_Click()
{
    CmdNumInc->hide();
    BusyState busy;
    if (const std::optional<QString> code =
            ReadIdentificationCode(ModelId, recordHook(Record::Operation::GetSNo)))
        ShowReadValue(TxtSNo, *code, AppSettings.SNoLength);
}

void FrmMain::CmdRegModel_Click()
{
    BusyState busy;
    WriteModelName(TxtModelName->text(), ModelId,
                   recordHook(Record::Operation::SetModelName, TxtModelName->text()));
}

void FrmMain::CmdGetModel_Click()
{
    BusyState busy;
    if (const std::optional<QString> name =
            ReadModelName(ModelId, recordHook(Record::Operation::GetModelName)))
        ShowReadValue(TxtModelName, *name, ModelNameTypingLimit);
}
