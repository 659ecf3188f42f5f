#pragma once
// Drives dialogs the way an operator does: keyboard and mouse events sent
// through Qt Test, never the handlers themselves.

#include <QString>
#include <QStringList>

class QAbstractButton;
class QLineEdit;
class QWidget;

namespace TestSupport {

// Shows the window and waits until it is active, so key events reach it.
bool ShowAndActivate(QWidget* window);

// Replaces the text of a text box by typing: select all, then the keys.
void TypeText(QLineEdit* box, const QString& text);

// A left click in the middle of the button.
void Click(QAbstractButton* button);

// Presses a key in the widget that has the keyboard focus in window.
void PressKey(QWidget* window, int key);

// Operates the controls of window named in steps, in order: "CboIF=1" picks
// entry 1 of a drop-down list or row 1 of a list box, "TxtLANPort=515" types
// into a text box ("TxtLANPort=" empties it, %20 stands for a blank),
// "ChkVirCOM" clicks a button or check box; "Return" and "Escape" press that
// key and "close" closes the window as its close box does. False when a step
// names no control.
bool Operate(QWidget* window, const QString& steps);

// The ways out of a dialog other than its "Set", as steps: the Cancel button
// (named CmdCancel), Escape and the close box.
inline const QStringList WaysOut{QStringLiteral("CmdCancel"), QStringLiteral("Escape"),
                                 QStringLiteral("close")};

} // namespace TestSupport
