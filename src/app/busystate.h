#pragma once
// The busy state of an operation: the main window is disabled (which also
// shuts its menus) and the pointer is the hourglass from start to end; before
// a message box the pointer goes back to the arrow.
//
//   {
//       Common::BusyState busy;
//       ...
//       if (failed)
//           Common::BusyMsgBox("Faild to confirm the printer.", "Printer ERROR!");
//   } // window enabled, default pointer

#include <QPointer>
#include <QString>

class QWidget;

namespace Common {

// Keeps the operator out of the main window for a scope. On leaving, the
// window gets back the enabled state it had and the keyboard focus returns to
// where it was (disabling a window takes the focus from its controls).
class WindowHold {
public:
    WindowHold();
    ~WindowHold();
    WindowHold(const WindowHold&) = delete;
    WindowHold& operator=(const WindowHold&) = delete;

private:
    QPointer<QWidget> focus_;
    bool wasEnabled_ = true;
};

class BusyState {
public:
    BusyState();  // window disabled, hourglass
    ~BusyState(); // window enabled, default pointer
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;

private:
    WindowHold hold_;
};

// A message box shown during the busy state: default pointer first.
void BusyMsgBox(const QString& text, const QString& title);

} // namespace Common
