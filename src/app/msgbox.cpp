#include "app/msgbox.h"

#include <QApplication>
#include <QMessageBox>

namespace Common {

namespace {

MsgBoxHandler& Handler()
{
    static MsgBoxHandler handler;
    return handler;
}

void ShowRealMessageBox(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace

void MsgBox(const QString& text, const QString& title)
{
    if (Handler())
        Handler()(title, text);
    else
        ShowRealMessageBox(title, text);
}

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler)
{
    MsgBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

} // namespace Common
