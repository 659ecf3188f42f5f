// The main window's Help menu: the version dialog and the notice.

#include "app/frmmain.h"
#include "common/appsettings.h"
#include "dialogs/dlgnote.h"
#include "dialogs/dlgver.h"

void FrmMain::MnuHelpVersion_Click()
{
    // SplashMode is False by now, so the dialog only shows the version.
    DlgVer dialog(this);
    dialog.exec();
}

void FrmMain::MnuHelpNotice_Click()
{
    // True tells the notice that it is not the first-start showing.
    Common::DialogCancelled = true;
    DlgNote dialog(this);
    dialog.exec();
}
