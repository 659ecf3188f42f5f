#pragma once
// How the link reports a failure the system raised: the system's own words in
// a message box titled after the operation, and ErrorFlag for the caller.

#include <QString>
#include <optional>

namespace Common {

// A failure the system raised, in its own words.
struct LinkFailure {
    QString description;
};
// The outcome of one step of the link: empty when it went through. Failures
// the caller judges for itself (printer not ready, job still queued) go to
// ErrorFlag directly and are not LinkFailures.
using LinkOutcome = std::optional<LinkFailure>;

// "Port ERROR!" from OpenPort and ClosePort.
void ReportPortFailure(const QString& description);
// "Print ERROR!" and "Receive ERROR!": the operation is still under way, so
// the pointer is the arrow only while the box is up and returns to the
// hourglass afterwards.
void ReportPrintFailure(const QString& description);
void ReportReceiveFailure(const QString& description);

// The system's description of errno for a device, followed by the device
// path (where a data-folder entry links to, when it does). When the device is refused for want of
// permission the text also names the group that owns it, since joining that group is the remedy.
QString DeviceErrorText(int error, const QString& devicePath);

// The permission text of DeviceErrorText when this process may not open the
// device for reading and writing (writeOnly: for writing), else nothing.
std::optional<QString> PermissionProblem(const QString& devicePath, bool writeOnly = false);

} // namespace Common
