#pragma once
// Drop-down lists as the dialogs use them: filled without a selection, and an
// entry picked by number, where a number outside the list means no selection.

#include <QStringList>

class QComboBox;

namespace Common {

// Replaces the entries and leaves nothing selected, so the first selection
// made afterwards always counts as a change and runs the list's handler.
void FillList(QComboBox* list, const QStringList& entries);

// Selects the entry at index, or nothing when the index is outside the list.
void SelectEntry(QComboBox* list, int index);

} // namespace Common
