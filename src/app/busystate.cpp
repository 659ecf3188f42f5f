#include "app/busystate.h"

#include "app/frmmain.h"
#include "common/msgbox.h"
#include "common/pointer.h"

namespace Common {

WindowHold::WindowHold()
{
    if (!HasMainForm())
        return;
    FrmMain& form = MainForm();
    focus_ = form.focusWidget();
    wasEnabled_ = form.isEnabled();
    form.setEnabled(false);
}

WindowHold::~WindowHold()
{
    if (!HasMainForm())
        return;
    FrmMain& form = MainForm();
    form.setEnabled(wasEnabled_);
    if (wasEnabled_ && focus_ && focus_->isEnabled() && focus_->isVisible())
        focus_->setFocus(Qt::OtherFocusReason);
}

BusyState::BusyState()
{
    SetPointer(Pointer::Hourglass);
}

BusyState::~BusyState()
{
    SetPointer(Pointer::Default);
    // hold_ ends after this body: the window is enabled last.
}

} // namespace Common
