#include "link/portresolver.h"

#include "common/appsettings.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace Common {

QString ResolvePortDevice(const QString& portName)
{
    if (portName.isEmpty() || portName.contains(QLatin1Char('/')))
        return {};
    if (!DataFolder.isEmpty()) {
        const QString entry = DataFolder + QLatin1Char('/') + portName;
        const QFileInfo info(entry);
        if (info.exists() || info.isSymLink())
            return entry; // a dangling link is still the operator's choice: opening it says why
    }
    static const QRegularExpression form(QStringLiteral("^(COM|LPT|USB)(\\d{1,3})$"));
    const QRegularExpressionMatch m = form.match(portName);
    if (!m.hasMatch())
        return {};
    const int number = m.captured(2).toInt();
    if (number < 1)
        return {};
    const QString kind = m.captured(1);
    const QString index = QString::number(number - 1);
    if (kind == QLatin1String("COM"))
        return QStringLiteral("/dev/ttyS") + index;
    if (kind == QLatin1String("LPT"))
        return QStringLiteral("/dev/parport") + index;
    return QStringLiteral("/dev/usb/lp") + index;
}

} // namespace Common
