#include "tempserver.h"

#include <QDir>
#include <QProcess>

namespace TestSupport {

static const QString Script = QStringLiteral(ZENTAB_SCRIPTS_DIR "/temp-server");

bool TempServer::Installed(const char* kind)
{
    QProcess process;
    process.setWorkingDirectory(QDir::rootPath()); // the caller's may be gone
    process.start(Script, {QLatin1String(kind), QStringLiteral("installed")});
    return process.waitForFinished() && process.exitCode() == 0;
}

bool TempServer::script(QStringList arguments, QString* output)
{
    arguments.insert(0, kind_);
    arguments.insert(2, dir_.path());
    QProcess process;
    process.setWorkingDirectory(dir_.path()); // the caller's may be gone
    process.start(Script, arguments);
    const bool done = process.waitForFinished(120000) &&
                      process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
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
