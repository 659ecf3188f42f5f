#include "tempserver.h"

#include <QDir>
#include <QProcess>

namespace TestSupport {

namespace {

// Runs scripts/temp-server in folder (the caller's may be gone) to its
// successful end.
bool RunScript(QProcess& process, const QStringList& arguments, const QString& folder)
{
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(ZENTAB_SCRIPTS_DIR "/temp-server"), arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

bool TempServer::Installed(const char* kind)
{
    QProcess process;
    return RunScript(process, {QLatin1String(kind), QStringLiteral("installed")}, QDir::rootPath());
}

bool TempServer::script(QStringList arguments, QString* output)
{
    arguments.insert(0, kind_);
    arguments.insert(2, dir_.path());
    QProcess process;
    const bool done = RunScript(process, arguments, dir_.path());
    if (!done)
        failure_ = arguments.join(' ') + ": " + process.readAllStandardError();
    else if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    return done;
}

bool TempServer::stop()
{
    running_ = running_ && !script({QStringLiteral("stop")});
    return !running_;
}

bool TempPostgres::start()
{
    QString port;
    running_ = running_ || script({QStringLiteral("start"), durable_ ? "durable" : ""}, &port);
    if (!port.isEmpty())
        port_ = port.toInt();
    return running_;
}

bool TempCupsScheduler::start()
{
    return running_ = script({QStringLiteral("start")});
}

bool TempCupsScheduler::addQueue(const QString& name, const QString& deviceUri)
{
    return script({QStringLiteral("queue"), name, deviceUri});
}

} // namespace TestSupport
