#include "widgetdriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

namespace TestSupport {

bool ShowAndActivate(QWidget* window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window, 10000);
}

// Picks an entry of a drop-down list or a row of a list box with the
// keyboard: Home, then Down.
static void ChooseRow(QWidget* list, int row)
{
    list->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < row; ++i)
        QTest::keyClick(list, Qt::Key_Down);
}

void TypeText(QLineEdit* box, const QString& text)
{
    box->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}

void Click(QAbstractButton* button)
{
    // A check box takes clicks on its box and caption only, which on a wide
    // box need not include the middle of the widget.
    QPoint where = button->rect().center();
    if (auto* box = qobject_cast<QCheckBox*>(button)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        where = box->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, box).center();
    }
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, where);
}

void PressKey(QWidget* window, int key)
{
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != window)
        target = window;
    QTest::keyClick(target, static_cast<Qt::Key>(key));
}

bool Operate(QWidget* window, const QString& steps)
{
    for (const QString& step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString name = step.section(QLatin1Char('='), 0, 0);
        const QString value =
            step.section(QLatin1Char('='), 1).replace(QLatin1String("%20"), QLatin1String(" "));
        if (step == QLatin1String("Return") || step == QLatin1String("Escape"))
            PressKey(window, step == QLatin1String("Return") ? Qt::Key_Return : Qt::Key_Escape);
        else if (step == QLatin1String("close"))
            window->close();
        else if (QWidget* list = window->findChild<QComboBox*>(name))
            ChooseRow(list, value.toInt());
        else if (QWidget* rows = window->findChild<QListWidget*>(name))
            ChooseRow(rows, value.toInt());
        else if (auto* box = window->findChild<QLineEdit*>(name))
            TypeText(box, value);
        else if (auto* button = window->findChild<QAbstractButton*>(name))
            Click(button);
        else
            return false;
    }
    return true;
}

} // namespace TestSupport
