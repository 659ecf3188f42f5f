#pragma once
// Every message box of the program goes through MsgBox: modal, OK only, no
// icon, shown under the arrow pointer. Tests replace the handler to capture what would be shown.
// The one question the program asks goes through MsgBoxYesNo.

#include <QString>
#include <functional>

namespace Common {

using MsgBoxHandler = std::function<void(const QString& title, const QString& text)>;
// Answers a question: true for Yes.
using QuestionHandler = std::function<bool(const QString& title, const QString& text)>;

void MsgBox(const QString& text, const QString& title);
// nullptr restores the real message box. Returns the previous handler.
MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler);

// Yes/No, No the default for both Enter and Escape; true for Yes. With a
// question handler set it answers; else a message-box handler set sees the
// question as a box and the answer is the default, No.
bool MsgBoxYesNo(const QString& text, const QString& title);
QuestionHandler SetQuestionHandler(QuestionHandler handler);

} // namespace Common
