// The Set menu's three settings dialogs. Each is shown modally with
// DialogCancelled raised; only a dialog closed by its "Set" lowers it, and
// only then does the window take the new settings into effect.
#include "app/frmmain.h"

#include "app/buildinterfaceinfo.h"
#include "app/modelname.h"
#include "app/serialnumber.h"
#include "common/appsettings.h"
#include "dialogs/dlgifset.h"
#include "dialogs/dlgmodel.h"
#include "dialogs/dlgsncfg.h"

#include <QPushButton>

using namespace Common;

namespace {

// Shows the dialog modally and destroys it before the caller acts on it.
template <typename Dialog> bool ConfirmedBySet(QWidget* owner)
{
    DialogCancelled = true;
    {
        Dialog dialog(owner);
        dialog.exec();
    }
    return !DialogCancelled;
}

} // namespace

void FrmMain::MnuSetIF_Click()
{
    if (ConfirmedBySet<DlgIFSet>(this))
        BuildInterfaceInfo();
}

void FrmMain::MnuSetModel_Click()
{
    if (ConfirmedBySet<DlgModel>(this))
        ApplySelectedModel();
}

void FrmMain::MnuSetSNo_Click()
{
    if (!ConfirmedBySet<DlgSNCfg>(this))
        return;
    UpdateSerialNumber(SNoRefresh);
    CmdSNoBack->hide();
    HistoryCount = 0; // the history belongs to the old layout
}
