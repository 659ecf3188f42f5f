#include "capturedmessages.h"

CapturedMessages::CapturedMessages()
{
    previous_ = Common::SetMsgBoxHandler([this](const QString& title, const QString& text) {
        messages_.append(CapturedMessage{title, text});
    });
}

CapturedMessages::~CapturedMessages()
{
    Common::SetMsgBoxHandler(std::move(previous_));
}
