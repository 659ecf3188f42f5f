#pragma once
// One entry of the printer's command log: a complete command (or a run of
// print data) as it was received.

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QTime>

namespace Sim {

struct SimCommand {
    qint64 atMs = 0;  // on the printer's clock
    QTime wallTime;   // local time of day, for the log line
    QByteArray bytes; // as received (a long block keeps only its start)
    QString text;     // "GS I 1", "GS ( E fn 1 IN", "data"
    QString note;     // what the printer made of it, when worth saying
};

// "12:00:01.234 GS I 1  [1D 49 01]", with the note in parentheses if any.
QString FormatLogLine(const SimCommand& command);
// "12:00:01.240 -> 35" for bytes the printer transmits.
QString FormatReplyLine(const QTime& wallTime, const QByteArray& reply);

} // namespace Sim

Q_DECLARE_METATYPE(Sim::SimCommand)
