#pragma once
// Every message box of the program goes through MsgBox: modal, OK only, no
// icon, shown under the arrow pointer. Tests replace the handler to capture what would be shown.

#include <QString>
#include <functional>

namespace Common {

using MsgBoxHandler = std::function<void(const QString& title, const QString& text)>;

void MsgBox(const QString& text, const QString& title);
// nullptr restores the real message box. Returns the previous handler.
MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler);

} // namespace Common
