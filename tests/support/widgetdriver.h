#pragma once
// Drives dialogs the way an operator does: keyboard and mouse events sent
// through Qt Test, never the handlers themselves.

#include <QString>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QListWidget;
class QWidget;

namespace TestSupport {

// Shows the window and waits until it is active, so key events reach it.
bool ShowAndActivate(QWidget* window);

// Picks entry index of a drop-down list with the keyboard (Home, then Down).
void ChooseEntry(QComboBox* list, int index);
// Picks row of a list box with the keyboard.
void ChooseRow(QListWidget* list, int row);

// Replaces the text of a text box by typing: select all, then the keys.
void TypeText(QLineEdit* box, const QString& text);

// A left click in the middle of the button.
void Click(QAbstractButton* button);

// Presses a key in the widget that has the keyboard focus in window.
void PressKey(QWidget* window, int key);

} // namespace TestSupport
