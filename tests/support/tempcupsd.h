#pragma once
// A private CUPS scheduler for tests: its own configuration, spool, cache and
// logs in a temporary folder, listening only on a socket there, no browsing.
// Clients reach it by setting CUPS_SERVER to socketPath().

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace TestSupport {

class TempCupsScheduler {
public:
    TempCupsScheduler();
    ~TempCupsScheduler();
    TempCupsScheduler(const TempCupsScheduler&) = delete;
    TempCupsScheduler& operator=(const TempCupsScheduler&) = delete;

    // True when cupsd and lpadmin are installed on this machine.
    static bool Installed();

    // Starts cupsd in the foreground and waits until its socket answers.
    bool start();
    // Adds and enables a queue without a driver, sending to deviceUri.
    bool addQueue(const QString& name, const QString& deviceUri);

    QString socketPath() const;
    // Why the last step failed: the command's output and the scheduler's log.
    QString failure() const { return failure_; }

private:
    bool writeConfiguration();
    bool waitUntilAnswering();
    QString errorLog() const;

    QTemporaryDir dir_;
    QProcess cupsd_;
    QString failure_;
};

} // namespace TestSupport
