#include "capturedmessages.h"

#include <algorithm>

CapturedMessages::CapturedMessages()
{
    previous_ = Common::SetMsgBoxHandler([this](const QString& title, const QString& text) {
        messages_.append(CapturedMessage{title, text, Common::CurrentPointer()});
    });
}

CapturedMessages::~CapturedMessages()
{
    Common::SetMsgBoxHandler(std::move(previous_));
}

bool CapturedMessages::allUnderArrow() const
{
    return std::all_of(messages_.cbegin(), messages_.cend(), [](const CapturedMessage& m) {
        return m.pointer == Common::Pointer::Default;
    });
}
