#include "temppostgres.h"

#include "unprivileged.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QVersionNumber>
#include <algorithm>
#include <grp.h>
#include <unistd.h>

namespace TestSupport {

namespace {

int FreePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

} // namespace

TempPostgres::TempPostgres(bool durable) : durable_(durable)
{
    // The server's own user must own its folder.
    if (::geteuid() == 0 && dir_.isValid() &&
        ::chown(QFile::encodeName(dir_.path()).constData(), kUnprivilegedId, kUnprivilegedId) != 0)
        failure_ = QStringLiteral("cannot hand %1 to the unprivileged user").arg(dir_.path());
}

TempPostgres::~TempPostgres()
{
    stop();
}

QString TempPostgres::BinDir()
{
    QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) {
        return QVersionNumber::fromString(a) < QVersionNumber::fromString(b);
    });
    for (auto v = versions.crbegin(); v != versions.crend(); ++v) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*v);
        if (QFile::exists(bin + QStringLiteral("/initdb")) &&
            QFile::exists(bin + QStringLiteral("/pg_ctl")))
            return bin;
    }
    return {};
}

QString TempPostgres::dataDir() const
{
    return dir_.filePath(QStringLiteral("data"));
}

bool TempPostgres::run(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // The server's user may not reach the caller's folder.
    process.setWorkingDirectory(dir_.path());
    if (::geteuid() == 0) {
        process.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 ||
                ::setuid(kUnprivilegedId) != 0)
                ::_exit(127);
        });
    }
    process.start(BinDir() + QLatin1Char('/') + tool, arguments);
    const bool finished = process.waitForFinished(60000);
    if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    if (!finished)
        process.kill();
    QFile log(dir_.filePath(QStringLiteral("server.log")));
    const QString serverLog = log.open(QIODevice::ReadOnly)
                                  ? QString::fromLocal8Bit(log.readAll().right(2000))
                                  : QString();
    failure_ = QStringLiteral("%1 %2 failed: %3\n%4")
                   .arg(tool, arguments.join(QLatin1Char(' ')),
                        QString::fromLocal8Bit(process.readAll()), serverLog);
    return false;
}

bool TempPostgres::start()
{
    if (running_)
        return true;
    if (!failure_.isEmpty() || !dir_.isValid() || BinDir().isEmpty())
        return false;
    if (!initialised_) {
        if (!run(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), dataDir(), QStringLiteral("-U"), user(),
                  QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
                  QStringLiteral("UTF8"), QStringLiteral("--no-locale"),
                  QStringLiteral("--no-sync")}))
            return false;
        initialised_ = true;
        port_ = FreePort();
    }
    // The socket file goes to the private folder, not to the system's.
    const QString options =
        QStringLiteral("-c listen_addresses=127.0.0.1 -p %1 -c unix_socket_directories=%2%3")
            .arg(port_)
            .arg(dir_.path(), durable_ ? QString() : QStringLiteral(" -c fsync=off"));
    running_ = run(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), dataDir(), QStringLiteral("-l"),
                    dir_.filePath(QStringLiteral("server.log")), QStringLiteral("-o"), options,
                    QStringLiteral("-w"), QStringLiteral("start")});
    return running_;
}

bool TempPostgres::stop()
{
    if (!running_)
        return true;
    running_ = !run(QStringLiteral("pg_ctl"),
                    {QStringLiteral("-D"), dataDir(), QStringLiteral("-m"), QStringLiteral("fast"),
                     QStringLiteral("-w"), QStringLiteral("stop")});
    return !running_;
}

} // namespace TestSupport
