#pragma once
// Captures the message boxes the program would show, for as long as it lives.

#include "app/msgbox.h"

#include <QList>
#include <QString>

struct CapturedMessage {
    QString title;
    QString text;
};

class CapturedMessages {
public:
    CapturedMessages();
    ~CapturedMessages();
    CapturedMessages(const CapturedMessages&) = delete;
    CapturedMessages& operator=(const CapturedMessages&) = delete;

    const QList<CapturedMessage>& all() const { return messages_; }
    bool isEmpty() const { return messages_.isEmpty(); }

private:
    QList<CapturedMessage> messages_;
    Common::MsgBoxHandler previous_;
};
