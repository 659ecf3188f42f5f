#pragma once
// Every hardware seam and test hook of the program in one scoped object: what
// a test installs through it is put back (the real serial control, ppdev,
// the device-node raw printing, the CUPS catalogue, the real message box,
// clock, splash and time) when the object goes, whatever the test did.

#include "capturedmessages.h"

#include <QDateTime>
#include <functional>
#include <memory>
#include <optional>

namespace Common {
class PortIoBackend;
class PrinterCatalog;
class RawPrintBackend;
class SerialControl;
} // namespace Common

namespace TestSupport {

class Seams {
public:
    // Pauses at waitScalePercent of their length; message boxes captured.
    explicit Seams(int waitScalePercent = 5);
    ~Seams();
    Seams(const Seams&) = delete;
    Seams& operator=(const Seams&) = delete;

    void serialControl(std::unique_ptr<Common::SerialControl> control);
    void portIo(std::unique_ptr<Common::PortIoBackend> backend);
    void rawPrint(std::unique_ptr<Common::RawPrintBackend> backend);
    void printers(std::unique_ptr<Common::PrinterCatalog> catalog);
    void clock(std::function<QDateTime()> now);
    // The start-up splash replaced: the loading is the test's business.
    void splash(std::function<void()> replacement);
    void waitScale(int percent);

    CapturedMessages& messages() { return *messages_; }
    const CapturedMessages& messages() const { return *messages_; }
    // A fresh capture, the boxes so far forgotten.
    void clearMessages();

private:
    std::optional<CapturedMessages> messages_;
};

} // namespace TestSupport
