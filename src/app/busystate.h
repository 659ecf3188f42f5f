#pragma once
// The busy state of an operation: the main window is disabled (which also
// shuts its menus) and the pointer is the hourglass from start to end. An
// operation that fails sets the arrow before its message and keeps it.
//
//   {
//       Common::BusyState busy;
//       WriteIdentificationCode(code, ModelId);
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

} // namespace Common
