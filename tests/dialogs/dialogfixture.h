#pragma once
// What the settings-dialog tests share: operating a dialog by its controls'
// names, and the ways out of it other than "Set".

#include "settingsrecord.h"
#include "widgetdriver.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QTest>

namespace DialogTest {

// Operates the controls named in steps, in order, as the operator would:
// "CboIF=1" picks entry 1 of a list, "TxtLANPort=515" types into a box
// (TxtLANPort= empties it; %20 stands for a blank), "ChkVirCOM" clicks a
// button or check box.
inline bool Operate(QWidget* dialog, const QString& steps)
{
    for (const QString& step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString name = step.section(QLatin1Char('='), 0, 0);
        const QString value =
            step.section(QLatin1Char('='), 1).replace(QLatin1String("%20"), QLatin1String(" "));
        if (auto* list = dialog->findChild<QComboBox*>(name))
            TestSupport::ChooseEntry(list, value.toInt());
        else if (auto* box = dialog->findChild<QLineEdit*>(name))
            TestSupport::TypeText(box, value);
        else if (auto* button = dialog->findChild<QAbstractButton*>(name))
            TestSupport::Click(button);
        else
            return false;
    }
    return true;
}

// The ways out that must store nothing.
inline void WaysOut()
{
    QTest::addColumn<int>("way");
    QTest::newRow("Cancel") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("close box") << 2;
}

// Leaves the dialog that way; true when it closed rejected and cancelled.
inline bool LeaveBy(QDialog& dialog, QAbstractButton* cancel, int way)
{
    if (way == 0)
        TestSupport::Click(cancel);
    else if (way == 1)
        TestSupport::PressKey(&dialog, Qt::Key_Escape);
    else
        dialog.close();
    return !dialog.isVisible() && dialog.result() == QDialog::Rejected && Common::DialogCancelled;
}

} // namespace DialogTest
