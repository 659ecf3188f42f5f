// The main window's identification buttons: each runs its operation.
#include "app/frmmain.h"
#include "protocol/identification.h"

void FrmMain::CmdSetSNo_Click()
{
    Common::WriteIdentificationCode();
}

void FrmMain::CmdGetSNo_Click()
{
    Common::ReadIdentificationCode();
}

void FrmMain::CmdRegModel_Click()
{
    Common::WriteModelName();
}

void FrmMain::CmdGetModel_Click()
{
    Common::ReadModelName();
}
