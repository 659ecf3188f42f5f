#include "common/pointer.h"

#include <QApplication>
#include <QCursor>

namespace Common {

namespace {
Pointer g_pointer = Pointer::Default;
}

void SetPointer(Pointer pointer)
{
    if (pointer == g_pointer)
        return;
    g_pointer = pointer;
    // One override at most: the screen pointer is a single setting, not a stack.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (pointer == Pointer::Hourglass)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

Pointer CurrentPointer()
{
    return g_pointer;
}

void DoEvents()
{
    QCoreApplication::processEvents();
}

} // namespace Common
