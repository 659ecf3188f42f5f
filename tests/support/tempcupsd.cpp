#include "tempcupsd.h"

#include "files.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace TestSupport {

static QString Tool(const QString& name)
{
    return QStandardPaths::findExecutable(
        name, {"/usr/sbin", "/usr/local/sbin", "/usr/bin", "/usr/local/bin"});
}

bool TempCupsScheduler::Installed()
{
    return !Tool("cupsd").isEmpty() && !Tool("lpadmin").isEmpty();
}

bool TempCupsScheduler::start()
{
    const QString root = dir_.path();
    const QByteArray cupsd = "Listen " + QFile::encodeName(socketPath()) +
                             "\nBrowsing No\nWebInterface No\nLogLevel info\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n";
    const QString files = QString("ServerRoot %1/etc\nStateDir %1/state\nCacheDir %1/cache\n"
                                  "RequestRoot %1/spool\nTempDir %1/spool\n"
                                  "AccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                                  "PageLog %1/log/page_log\nPrintcap %1/state/printcap\n"
                                  "FileDevice Yes\n")
                              .arg(root);
    for (const char* sub : {"etc", "state", "cache", "spool", "log"})
        QDir(root).mkpath(sub); // a folder that cannot be made fails the writes or cupsd
    if (!WriteFile(root + "/etc/cupsd.conf", cupsd) ||
        !WriteFile(root + "/etc/cups-files.conf", files.toUtf8()))
        return fail("cannot prepare the folder " + root);
    launch(cupsd_, Tool("cupsd"),
           {"-f", "-c", root + "/etc/cupsd.conf", "-s", root + "/etc/cups-files.conf"});
    return waitUntil(
        [this] {
            QLocalSocket probe;
            probe.connectToServer(socketPath());
            return probe.waitForConnected(1000);
        },
        cupsd_);
}

bool TempCupsScheduler::addQueue(const QString& name, const QString& deviceUri)
{
    return run(Tool("lpadmin"), {"-h", socketPath(), "-p", name, "-v", deviceUri, "-E"});
}

} // namespace TestSupport
