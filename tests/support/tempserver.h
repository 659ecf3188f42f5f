#pragma once
// The tests' private servers, a PostgreSQL server and a CUPS scheduler, each
// in a temporary folder of its own, started and stopped by the project's
// scripts/temp-server and stopped when the object goes.

#include <QStringList>
#include <QTemporaryDir>

namespace TestSupport {

class TempServer {
public:
    ~TempServer() { stop(); }
    TempServer(const TempServer&) = delete;
    TempServer& operator=(const TempServer&) = delete;

    bool stop();
    // Why the last step failed: the script's message and the server's log.
    QString failure() const { return failure_; }

protected:
    explicit TempServer(const char* kind) : kind_(QLatin1String(kind)) {}
    static bool Installed(const char* kind);
    // Runs the script's action on the folder: true with its output on success.
    bool script(QStringList arguments, QString* output = nullptr);

    QTemporaryDir dir_;
    bool running_ = false;

private:
    QString kind_;
    QString failure_;
};

// Local connections trusted, superuser "zentab", on 127.0.0.1.
class TempPostgres : public TempServer {
public:
    // durable: fsync as a real server does (the benchmark); tests go without.
    explicit TempPostgres(bool durable = false) : TempServer("postgres"), durable_(durable) {}
    static bool Installed() { return TempServer::Installed("postgres"); }
    // initdb on first use, then the server; again after stop() on the same port.
    bool start();

    QString host() const { return QStringLiteral("127.0.0.1"); }
    int port() const { return port_; }
    QString user() const { return QStringLiteral("zentab"); }
    QString database() const { return QStringLiteral("postgres"); }

private:
    bool durable_;
    int port_ = 0;
};

// Clients reach it by setting CUPS_SERVER to socketPath().
class TempCupsScheduler : public TempServer {
public:
    TempCupsScheduler() : TempServer("cups") {}
    static bool Installed() { return TempServer::Installed("cups"); }
    bool start();
    // A queue without a driver, sending to deviceUri, enabled.
    bool addQueue(const QString& name, const QString& deviceUri);
    QString socketPath() const { return dir_.filePath(QStringLiteral("cups.sock")); }
};

} // namespace TestSupport
