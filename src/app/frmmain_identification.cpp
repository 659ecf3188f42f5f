// The main window's identification buttons: each runs its operation.
#include "app/frmmain.h"

#include "app/msgbox.h"
#include "protocol/identification.h"
#include "settings/appsettings.h"
#include "settings/settingsfile.h"

#include <QLineEdit>

using namespace Common;

void FrmMain::CmdSetSNo_Click()
{
    WriteIdentificationCode();
    // The same test UpdateSerialNumber advances by.
    const AppSettingsRecord& s = AppSettings;
    if (!ErrorFlag && s.AutoInc && s.SNoNumLen != 0)
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
    ReadIdentificationCode();
}

void FrmMain::CmdRegModel_Click()
{
    WriteModelName();
}

void FrmMain::CmdGetModel_Click()
{
    ReadModelName();
}
