#include "simcommand.h"

#include "escposframer.h"

namespace Sim {

namespace {
const QString kTimeFormat = QStringLiteral("hh:mm:ss.zzz");
} // namespace

QString FormatLogLine(const SimCommand& command)
{
    QString line = command.wallTime.toString(kTimeFormat) + QLatin1Char(' ') + command.text +
                   QStringLiteral("  [") + HexBytes(command.bytes) + QLatin1Char(']');
    if (!command.note.isEmpty())
        line += QStringLiteral(" (") + command.note + QLatin1Char(')');
    return line;
}

QString FormatReplyLine(const QTime& wallTime, const QByteArray& reply)
{
    return wallTime.toString(kTimeFormat) + QStringLiteral(" -> ") + HexBytes(reply);
}

} // namespace Sim
