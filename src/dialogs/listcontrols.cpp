#include "dialogs/listcontrols.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace Common {

void FillList(QComboBox* list, const QStringList& entries)
{
    // A combo box selects its first entry by itself when filled; the
    // handlers must not see that, only the selection made afterwards.
    const QSignalBlocker blocker(list);
    list->clear();
    list->addItems(entries);
    list->setCurrentIndex(-1);
}

void SelectEntry(QComboBox* list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

} // namespace Common
