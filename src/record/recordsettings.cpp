#include "record/recordsettings.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>

namespace Record {

namespace {

void ApplyStore(RecordSettings& s, const QString& value)
{
    const QString word = value.toLower();
    if (word == QLatin1String("sqlite"))
        s.store = StoreKind::SQLite;
    else if (word == QLatin1String("postgresql"))
        s.store = StoreKind::PostgreSQL;
    else if (word == QLatin1String("off"))
        s.store = StoreKind::Off;
}

void Apply(RecordSettings& s, const QString& key, const QString& value)
{
    if (key == QLatin1String("store")) {
        ApplyStore(s, value);
    } else if (key == QLatin1String("port")) {
        bool ok = false;
        const int port = value.toInt(&ok);
        if (ok && port > 0 && port < 65536)
            s.port = port;
    } else if (value.isEmpty()) {
        return; // an empty name keeps its default
    } else if (key == QLatin1String("host")) {
        s.host = value;
    } else if (key == QLatin1String("database")) {
        s.database = value;
    } else if (key == QLatin1String("user")) {
        s.user = value;
    } else if (key == QLatin1String("station")) {
        s.station = value;
    }
}

} // namespace

QString DefaultStationName()
{
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("localhost") : host;
}

RecordSettings ReadRecordSettings(const QString& dataFolder)
{
    const QDir folder(dataFolder);
    RecordSettings s;
    s.sqliteFile = folder.filePath(QLatin1String(RecordFileName));
    QFile file(folder.filePath(QLatin1String(RecordSettingsFileName)));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine());
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            if (equals > 0)
                Apply(s, line.left(equals).trimmed().toLower(), line.mid(equals + 1).trimmed());
        }
    }
    if (s.station.isEmpty())
        s.station = DefaultStationName();
    return s;
}

} // namespace Record
