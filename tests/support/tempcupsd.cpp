#include "tempcupsd.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTest>

namespace TestSupport {

namespace {

const QStringList SbinPaths{QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"),
                            QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin")};

QString FindTool(const QString& name)
{
    const QString onPath = QStandardPaths::findExecutable(name);
    return onPath.isEmpty() ? QStandardPaths::findExecutable(name, SbinPaths) : onPath;
}

bool WriteFile(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(text.toUtf8()) >= 0;
}

} // namespace

TempCupsScheduler::TempCupsScheduler() = default;

TempCupsScheduler::~TempCupsScheduler()
{
    if (cupsd_.state() == QProcess::NotRunning)
        return;
    cupsd_.terminate(); // cupsd ends cleanly on SIGTERM
    if (!cupsd_.waitForFinished(10000)) {
        cupsd_.kill();
        cupsd_.waitForFinished(5000);
    }
}

bool TempCupsScheduler::Installed()
{
    return !FindTool(QStringLiteral("cupsd")).isEmpty() &&
           !FindTool(QStringLiteral("lpadmin")).isEmpty();
}

QString TempCupsScheduler::socketPath() const
{
    return dir_.filePath(QStringLiteral("cups.sock"));
}

QString TempCupsScheduler::errorLog() const
{
    QFile log(dir_.filePath(QStringLiteral("log/error_log")));
    if (!log.open(QIODevice::ReadOnly))
        return QStringLiteral("(no error log)");
    return QString::fromUtf8(log.readAll().right(4000));
}

bool TempCupsScheduler::writeConfiguration()
{
    const QDir root(dir_.path());
    for (const char* sub : {"etc", "state", "cache", "spool", "log"})
        if (!root.mkpath(QLatin1String(sub)))
            return false;
    const QString cupsd = QStringLiteral("Listen %1\n"
                                         "Browsing No\n"
                                         "WebInterface No\n"
                                         "LogLevel info\n"
                                         "<Location />\n"
                                         "  Order allow,deny\n"
                                         "  Allow all\n"
                                         "</Location>\n")
                              .arg(socketPath());
    const QString files = QStringLiteral("ServerRoot %1/etc\n"
                                         "StateDir %1/state\n"
                                         "CacheDir %1/cache\n"
                                         "RequestRoot %1/spool\n"
                                         "TempDir %1/spool\n"
                                         "AccessLog %1/log/access_log\n"
                                         "ErrorLog %1/log/error_log\n"
                                         "PageLog %1/log/page_log\n"
                                         "Printcap %1/state/printcap\n"
                                         "FileDevice Yes\n")
                              .arg(dir_.path());
    return WriteFile(root.filePath(QStringLiteral("etc/cupsd.conf")), cupsd) &&
           WriteFile(root.filePath(QStringLiteral("etc/cups-files.conf")), files);
}

bool TempCupsScheduler::start()
{
    if (!dir_.isValid() || !writeConfiguration()) {
        failure_ = QStringLiteral("cannot prepare the folder %1").arg(dir_.path());
        return false;
    }
    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    cupsd_.start(FindTool(QStringLiteral("cupsd")),
                 {QStringLiteral("-f"), QStringLiteral("-c"),
                  dir_.filePath(QStringLiteral("etc/cupsd.conf")), QStringLiteral("-s"),
                  dir_.filePath(QStringLiteral("etc/cups-files.conf"))});
    if (!cupsd_.waitForStarted(10000)) {
        failure_ = QStringLiteral("cupsd did not start: ") + cupsd_.errorString();
        return false;
    }
    return waitUntilAnswering();
}

bool TempCupsScheduler::waitUntilAnswering()
{
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (cupsd_.state() == QProcess::NotRunning) {
            failure_ = QStringLiteral("cupsd ended with %1: %2\n%3")
                           .arg(cupsd_.exitCode())
                           .arg(QString::fromLocal8Bit(cupsd_.readAll()), errorLog());
            return false;
        }
        QLocalSocket probe;
        probe.connectToServer(socketPath());
        if (probe.waitForConnected(1000))
            return true;
        QTest::qWait(100);
    }
    failure_ = QStringLiteral("cupsd did not answer on %1\n%2").arg(socketPath(), errorLog());
    return false;
}

bool TempCupsScheduler::addQueue(const QString& name, const QString& deviceUri)
{
    QProcess lpadmin;
    lpadmin.setProcessChannelMode(QProcess::MergedChannels);
    lpadmin.start(FindTool(QStringLiteral("lpadmin")),
                  {QStringLiteral("-h"), socketPath(), QStringLiteral("-p"), name,
                   QStringLiteral("-v"), deviceUri, QStringLiteral("-E")});
    const bool finished = lpadmin.waitForFinished(30000);
    if (finished && lpadmin.exitStatus() == QProcess::NormalExit && lpadmin.exitCode() == 0)
        return true;
    if (!finished)
        lpadmin.kill();
    failure_ = QStringLiteral("lpadmin %1 %2 failed: %3\n%4")
                   .arg(name, deviceUri, QString::fromLocal8Bit(lpadmin.readAll()), errorLog());
    return false;
}

} // namespace TestSupport
