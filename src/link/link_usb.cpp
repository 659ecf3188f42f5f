// The USB interface: output only, each transmission one raw print job.

#include "common/appsettings.h"
#include "common/waitms.h"
#include "link/linkdrivers.h"
#include "link/portresolver.h"
#include "link/rawprint.h"

namespace Common {

QByteArray UsbPortName()
{
    return QStringLiteral("USB%1").arg(AppSettings.USBPort, 3, 10, QLatin1Char('0')).toLatin1();
}

LinkOutcome OpenUsb()
{
    const QByteArray port = UsbPortName();
    if (dpSetOutputPort(port) >= 0)
        return std::nullopt;
    QString text = QStringLiteral("Failed to open the USB Port.");
    // Refused for permission, the operator needs to know which group to join.
    const QString device = ResolvePortDevice(QString::fromLatin1(port));
    if (const std::optional<QString> problem = PermissionProblem(device, true))
        text += QLatin1Char('\n') + *problem;
    return LinkFailure{text};
}

void SendUsb(const QByteArray& bytes)
{
    dpOutputData(0, reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                 static_cast<std::uint32_t>(bytes.size()), QByteArrayLiteral("Zentab"));
    WaitMs(1000);
    if (dpEnumJobs() != 0)
        ErrorFlag = true; // not taken: the printer is off or offline
}

} // namespace Common
