#include "common/msgbox.h"

#include "common/pointer.h"

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
    // The arrow while the box asks for a click, whatever runs behind it; the
    // pointer the caller had comes back afterwards.
    const Pointer before = CurrentPointer();
    SetPointer(Pointer::Default);
    if (Handler())
        Handler()(title, text);
    else
        ShowRealMessageBox(title, text);
    SetPointer(before);
}

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler)
{
    MsgBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

} // namespace Common
