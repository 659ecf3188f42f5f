#pragma once
// A private PostgreSQL server for tests: initdb and pg_ctl of the installed
// server in a temporary folder, listening on 127.0.0.1 on a free port, local
// connections trusted, superuser "zentab". The server refuses to run as
// root: when the tests do, its programs run as the unprivileged user.

#include "tempserver.h"

namespace TestSupport {

class TempPostgres : public TempServer {
public:
    // durable: fsync as a real server does (the benchmark); tests go without.
    explicit TempPostgres(bool durable = false) : TempServer(true, "log"), durable_(durable) {}
    ~TempPostgres() { stop(); }

    // The folder of initdb and pg_ctl (the newest installed server), or
    // empty when no server is installed.
    static QString BinDir();

    bool start(); // initdb on first use, then pg_ctl start
    bool stop();

    QString host() const { return QStringLiteral("127.0.0.1"); }
    int port() const { return port_; }
    QString user() const { return QStringLiteral("zentab"); }
    QString database() const { return QStringLiteral("postgres"); }

private:
    bool durable_;
    int port_ = 0;
    bool running_ = false;
};

} // namespace TestSupport
