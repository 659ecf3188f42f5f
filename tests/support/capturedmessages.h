#pragma once
// Captures the message boxes the program would show, for as long as it lives.
// Questions are captured too and get the default answer, No, unless the test
// chooses another.

#include "common/msgbox.h"
#include "common/pointer.h"

#include <QList>
#include <QString>

struct CapturedMessage {
    QString title;
    QString text;
    Common::Pointer pointer; // the screen's pointer while the box was up
};

class CapturedMessages {
public:
    CapturedMessages();
    ~CapturedMessages();
    CapturedMessages(const CapturedMessages&) = delete;
    CapturedMessages& operator=(const CapturedMessages&) = delete;

    const QList<CapturedMessage>& all() const { return messages_; }
    bool isEmpty() const { return messages_.isEmpty(); }
    // True when every box so far was shown under the arrow pointer.
    bool allUnderArrow() const;
    // Questions from now on are answered Yes (true) or No.
    void answerQuestions(bool yes);

private:
    QList<CapturedMessage> messages_;
    Common::MsgBoxHandler previous_;
    Common::QuestionHandler previousQuestions_;
};
