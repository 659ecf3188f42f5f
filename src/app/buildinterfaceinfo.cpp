// The interface line in the main window: puts the chosen interface into
// effect and tells the operator which link is in use.
#include "app/buildinterfaceinfo.h"

#include "app/busystate.h"
#include "app/frmmain.h"
#include "app/ledindicator.h"
#include "app/modelname.h"
#include "common/appsettings.h"
#include "common/waitms.h"
#include "link/link.h"
#include "settings/interfaceinfo.h"

#include <QLabel>
#include <QPushButton>

namespace Common {

void BuildInterfaceInfo()
{
    // No operation may start between closing the old port and opening the
    // new one.
    WindowHold hold;
    // The port of the interface last in effect, which may not be the one
    // just chosen.
    ClosePort();
    WaitMs(200);

    FrmMain& form = MainForm();
    form.LblIFInfo->setText(InterfaceInfoText(AppSettings));
    if (const std::optional<InterfaceEffects> effects = InterfaceEffectsFor(AppSettings)) {
        form.LEDPortCondition->setVisible(effects->ledShown);
        form.CmdGetSNo->setEnabled(effects->getSNoEnabled);
        AppSettings.TwoWayLink = effects->twoWayLink;
    }
    if (!form.LEDPortCondition->isHidden())
        EnablePortCheck(true); // the lamp follows the printer's condition

    AppSettings.ActiveInterface = AppSettings.Interface;
    if (AppSettings.PortOpen)
        OpenPort(); // kept open until the next change of interface or exit
    RefreshModelNameControls();
}

} // namespace Common
