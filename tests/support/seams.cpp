#include "seams.h"

#include <algorithm>

CapturedMessages::CapturedMessages()
{
    previous_ = Common::SetMsgBoxHandler([this](const QString& title, const QString& text) {
        messages_.append(CapturedMessage{title, text, Common::CurrentPointer()});
    });
    previousQuestions_ = Common::SetQuestionHandler(nullptr);
}

CapturedMessages::~CapturedMessages()
{
    Common::SetMsgBoxHandler(std::move(previous_));
    Common::SetQuestionHandler(std::move(previousQuestions_));
}

void CapturedMessages::answerQuestions(bool yes)
{
    Common::SetQuestionHandler([this, yes](const QString& title, const QString& text) {
        messages_.append(CapturedMessage{title, text, Common::CurrentPointer()});
        return yes;
    });
}

bool CapturedMessages::allUnderArrow() const
{
    return std::all_of(messages_.cbegin(), messages_.cend(), [](const CapturedMessage& m) {
        return m.pointer == Common::Pointer::Default;
    });
}

namespace TestSupport {

Seams::~Seams()
{
    Common::ReleaseLink();
    Common::SetPortCheckSwitch(nullptr);
    Common::SetSerialControl(nullptr);
    Common::SetPortIoBackend(nullptr);
    Common::SetRawPrintBackend(nullptr);
    Common::SetPrinterCatalog(nullptr);
    Common::SetSettingsClockForTests(nullptr);
    Common::SetStartupSplashForTests(nullptr);
    Common::SetWaitScaleForTests(100);
    messages_.reset();
}

} // namespace TestSupport
