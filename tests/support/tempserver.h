#pragma once
// What the private servers of the tests share: a temporary folder, a free
// port, the server's programs run there (as the unprivileged user when the
// server refuses root), the wait until it answers, and its log, which tells
// why a step failed.

#include "unprivileged.h"

#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <functional>
#include <grp.h>
#include <unistd.h>

namespace TestSupport {

class TempServer {
public:
    // Why the last step failed: the command's output and the server's log.
    QString failure() const { return failure_; }

protected:
    TempServer(bool unprivileged, const QString& log)
        : unprivileged_(unprivileged && ::geteuid() == 0), log_(dir_.filePath(log))
    {
        // The server's own user must own its folder.
        if (unprivileged_ && ::chown(QFile::encodeName(dir_.path()).constData(), kUnprivilegedId,
                                     kUnprivilegedId) != 0)
            fail("cannot hand " + dir_.path() + " to the unprivileged user");
    }

    static int FreePort()
    {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
    }

    // Starts program in the folder: the server's user may not reach the
    // caller's.
    void launch(QProcess& process, const QString& program, const QStringList& arguments) const
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(dir_.path());
        if (unprivileged_)
            process.setChildProcessModifier([] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 ||
                    ::setuid(kUnprivilegedId) != 0)
                    ::_exit(127);
            });
        process.start(program, arguments);
    }

    // Runs a program to its successful end.
    bool run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        launch(process, program, arguments);
        if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
            process.exitCode() == 0)
            return true;
        process.kill();
        return fail(program + ' ' + arguments.join(' ') + " failed: " + process.readAll());
    }

    // Waits until answers() while the server runs.
    bool waitUntil(const std::function<bool()>& answers, QProcess& server)
    {
        for (int tries = 0; tries < 300; ++tries) {
            if (answers())
                return true;
            if (server.waitForFinished(100))
                return fail(server.program() + " ended: " + server.readAll());
        }
        return fail(server.program() + " did not answer");
    }

    bool fail(const QString& what)
    {
        QFile log(log_);
        failure_ = what + '\n' + (log.open(QIODevice::ReadOnly) ? log.readAll().right(4000) : "");
        return false;
    }

    QTemporaryDir dir_;

private:
    bool unprivileged_;
    QString log_;
    QString failure_;
};

} // namespace TestSupport
