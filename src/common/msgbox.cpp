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

QuestionHandler& Questions()
{
    static QuestionHandler handler;
    return handler;
}

bool AskRealMessageBox(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
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

bool MsgBoxYesNo(const QString& text, const QString& title)
{
    const Pointer before = CurrentPointer();
    SetPointer(Pointer::Default);
    bool yes = false;
    if (Questions())
        yes = Questions()(title, text);
    else if (Handler())
        Handler()(title, text);
    else
        yes = AskRealMessageBox(title, text);
    SetPointer(before);
    return yes;
}

QuestionHandler SetQuestionHandler(QuestionHandler handler)
{
    QuestionHandler previous = std::move(Questions());
    Questions() = std::move(handler);
    return previous;
}

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler)
{
    MsgBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

} // namespace Common
