#pragma once
// Every hardware seam and test hook in one scoped object: what a test puts in
// is replaced by the real thing again when it goes. Meanwhile message boxes
// are captured, and questions answered No unless the test chooses Yes.

#include "common/msgbox.h"
#include "common/pointer.h"
#include "common/waitms.h"
#include "dialogs/dlgver.h"
#include "link/link.h"
#include "link/portio.h"
#include "link/rawprint.h"
#include "settings/printercatalog.h"
#include "settings/settingsfile.h"

#include <QDateTime>
#include <QList>
#include <functional>
#include <memory>
#include <optional>

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

namespace TestSupport {

class Seams {
public:
    // Pauses at waitScalePercent of their length.
    explicit Seams(int waitScalePercent = 5) { waitScale(waitScalePercent); }
    ~Seams();
    Seams(const Seams&) = delete;
    Seams& operator=(const Seams&) = delete;

    void serialControl(std::unique_ptr<Common::SerialControl> c)
    {
        Common::SetSerialControl(std::move(c));
    }
    void portIo(std::unique_ptr<Common::PortIoBackend> b)
    {
        Common::SetPortIoBackend(std::move(b));
    }
    void rawPrint(std::unique_ptr<Common::RawPrintBackend> b)
    {
        Common::SetRawPrintBackend(std::move(b));
    }
    void printers(std::unique_ptr<Common::PrinterCatalog> c)
    {
        Common::SetPrinterCatalog(std::move(c));
    }
    void clock(std::function<QDateTime()> now) { Common::SetSettingsClockForTests(std::move(now)); }
    // The start-up splash replaced: the loading is the test's business.
    void splash(std::function<void()> f) { Common::SetStartupSplashForTests(std::move(f)); }
    void waitScale(int percent) { Common::SetWaitScaleForTests(percent); }

    CapturedMessages& messages() { return *messages_; }
    const CapturedMessages& messages() const { return *messages_; }
    // A fresh capture, the boxes so far forgotten.
    void clearMessages() { messages_.emplace(); }

private:
    std::optional<CapturedMessages> messages_{std::in_place};
};

} // namespace TestSupport
