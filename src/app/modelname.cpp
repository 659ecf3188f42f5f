#include "app/modelname.h"

#include "app/busystate.h"
#include "app/clickablelabel.h"
#include "app/frmmain.h"
#include "common/appsettings.h"
#include "common/textbox.h"
#include "common/waitms.h"
#include "common/wincolour.h"
#include "link/hexcommand.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

namespace Common {

namespace {

constexpr std::uint8_t ModelWithName = 0x51; // 'Q': the one model that stores a name

void ShowModelNameEditing(FrmMain& form, bool on)
{
    form.TxtModelName->setReadOnly(!on);
    form.CmdGetModel->setVisible(on);
    form.CmdRegModel->setVisible(on);
}

} // namespace

void ApplySelectedModel()
{
    const int index = int(ModelList.ModelIndex) - 1;
    // The model list keeps ModelIndex inside the table; should it not be, no
    // model is selected rather than a slot outside the table.
    ModelId = index >= 0 && index < ModelSlots ? ModelList.ModelIds.at(index) : 0;
    ShowModelName(AppSettings.ModelName);
    RefreshModelNameControls();
}

void ShowModelName(const QString& name)
{
    SetBoxText(MainForm().TxtModelName, name, ModelNameTypingLimit);
}

void RefreshModelNameControls()
{
    FrmMain& form = MainForm();
    form.MnuSetModelName->setEnabled(ModelId == ModelWithName &&
                                     AppSettings.Interface == VirtualCom);
    form.MnuSetModelName->setChecked(false);
    ShowModelNameEditing(form, false);
}

} // namespace Common

using namespace Common;

// Runs when the menu item is chosen: the menu has already inverted the check
// mark, so the controls follow it. To run the click from code, trigger the
// item (MnuSetModelName->trigger()), which inverts the mark first.
void FrmMain::MnuSetModelName_Click()
{
    ShowModelNameEditing(*this, MnuSetModelName->isChecked());
}

void FrmMain::LblModelID_Click()
{
    LblModelID->setText(ByteToHex(ModelId));
    BusyState busy;
    WaitMs(2000);
    LblModelID->clear();
}

void FrmMain::TxtModelName_Change()
{
    SetForeColor(TxtModelName, ColourBlack);
    const bool enough = TxtModelName->text().size() > 4;
    CmdRegModel->setEnabled(enough);
    if (enough)
        SetDefaultButton(CmdRegModel);
}
