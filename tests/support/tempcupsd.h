#pragma once
// A private CUPS scheduler for tests: its own configuration, spool, cache and
// logs in a temporary folder, listening only on a socket there, no browsing.
// Clients reach it by setting CUPS_SERVER to socketPath().

#include "tempserver.h"

namespace TestSupport {

class TempCupsScheduler : public TempServer {
public:
    TempCupsScheduler() : TempServer(false, "log/error_log") {}
    ~TempCupsScheduler()
    {
        cupsd_.terminate(); // cupsd ends cleanly on SIGTERM; QProcess kills one that does not
        cupsd_.waitForFinished(10000);
    }

    // True when cupsd and lpadmin are installed on this machine.
    static bool Installed();

    // Starts cupsd in the foreground and waits until its socket answers.
    bool start();
    // Adds and enables a queue without a driver, sending to deviceUri.
    bool addQueue(const QString& name, const QString& deviceUri);

    QString socketPath() const { return dir_.filePath(QStringLiteral("cups.sock")); }

private:
    QProcess cupsd_;
};

} // namespace TestSupport
