#include "temppostgres.h"

#include <QDir>
#include <QVersionNumber>

namespace TestSupport {

QString TempPostgres::BinDir()
{
    QString newest;
    const QString root = QStringLiteral("/usr/lib/postgresql/");
    for (const QString& version : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (QFile::exists(root + version + "/bin/initdb") &&
            QFile::exists(root + version + "/bin/pg_ctl") &&
            QVersionNumber::fromString(version) >=
                QVersionNumber::fromString(newest.section('/', 4, 4)))
            newest = root + version + "/bin";
    return newest;
}

bool TempPostgres::start()
{
    const QString data = dir_.filePath("data");
    if (running_ || !failure().isEmpty() || BinDir().isEmpty())
        return running_;
    if (port_ == 0) {
        if (!run(BinDir() + "/initdb", {"-D", data, "-U", user(), "-A", "trust", "-E", "UTF8",
                                        "--no-locale", "--no-sync"}))
            return false;
        port_ = FreePort();
    }
    // The socket file goes to the private folder, not to the system's.
    const QString options =
        QString("-c listen_addresses=127.0.0.1 -p %1 -c unix_socket_directories=%2%3")
            .arg(port_)
            .arg(dir_.path(), durable_ ? "" : " -c fsync=off");
    running_ = run(BinDir() + "/pg_ctl",
                   {"-D", data, "-w", "-l", dir_.filePath("log"), "-o", options, "start"});
    return running_;
}

bool TempPostgres::stop()
{
    const QStringList arguments{"-D", dir_.filePath("data"), "-w", "-m", "fast", "stop"};
    running_ = running_ && !run(BinDir() + "/pg_ctl", arguments);
    return !running_;
}

} // namespace TestSupport
