#pragma once
// The test doubles of the hardware seams.

#include "link/portio.h"
#include "link/serialcontrol.h"
#include "settings/printercatalog.h"

#include <QElapsedTimer>
#include <QHash>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace Sim {
class Ieee1284Peripheral;
class SimParallelPort;
} // namespace Sim

namespace TestSupport {

// Logs each call ("port 3", "settings 9600,n,8,1", "xonxoff" or "none",
// "open", "close", "discard input", "discard output", "write"), each followed
// by what context() says at that moment when context is set.
class FakeSerialControl final : public Common::SerialControl {
public:
    FakeSerialControl() { clock_.start(); }

    QStringList calls;
    QHash<QString, qint64> at; // when each call last came, ms after creation
    QList<QByteArray> writes;
    bool isOpen = false;
    bool openFails = false;
    bool settingsRejected = false;
    bool outputFails = false;
    bool lostAfterWrite = false; // unplugged while the output drains
    bool dsr = true;
    QByteArray input; // what the printer has sent, taken byte by byte
    QString error;
    std::function<QString()> context;

    int count(const QString& call) const { return int(calls.count(call)); }

    void setCommPort(int port) override { log(QStringLiteral("port %1").arg(port_ = port)); }
    int commPort() const override { return port_; }
    bool setSettings(const QString& s) override
    {
        log("settings " + s);
        return !settingsRejected;
    }
    void setHandshaking(Common::Handshaking h) override
    {
        log(h == Common::Handshaking::XonXoff ? QStringLiteral("xonxoff") : QStringLiteral("none"));
    }
    bool portOpen() const override { return isOpen; }
    bool open() override
    {
        log(QStringLiteral("open"));
        return isOpen = !openFails;
    }
    void close() override
    {
        log(QStringLiteral("close"));
        isOpen = false;
    }
    int inBufferCount() override { return static_cast<int>(input.size()); }
    int outBufferCount() override { return 0; }
    void discardInput() override { log(QStringLiteral("discard input")); }
    void discardOutput() override { log(QStringLiteral("discard output")); }
    bool output(const QByteArray& block) override;
    std::optional<std::uint8_t> inputByte() override;
    bool dsrHolding() override { return dsr; }
    QString errorString() const override { return error; }

private:
    void log(const QString& call);
    QElapsedTimer clock_;
    int port_ = 1;
};

// A parallel port at base. Alone, its status register reads status and the
// others 0; with a simulated peripheral behind it, the registers are the
// simulated port's and status, when set, overrides every read. Writes are
// traced as "W<offset> <value>" (hex), each run of reads as one "R" whose
// length goes to runs.
class FakePortIo final : public Common::PortIoBackend {
public:
    explicit FakePortIo(std::shared_ptr<Sim::Ieee1284Peripheral> peripheral = {},
                        std::uint16_t base = 0x378);
    ~FakePortIo() override;

    std::optional<std::uint8_t> status;
    bool available = true; // false: no port I/O on this machine
    int initializeCalls = 0;
    int shutdownCalls = 0;
    // When set, shutdowns are counted here too: it outlives the fake, which a
    // replacement destroys.
    std::shared_ptr<int> shutdownTally;
    QStringList trace;
    QList<int> runs;

    bool initialize() override;
    void shutdown() override;
    bool read(std::uint16_t address, std::uint32_t* value, std::uint8_t size) override;
    bool write(std::uint16_t address, std::uint32_t value, std::uint8_t size) override;
    // The control register as last written (the simulated port's when there is one).
    std::uint8_t controlRegister() const;

private:
    std::unique_ptr<Sim::SimParallelPort> port_;
    std::uint16_t base_;
    std::uint8_t control_ = 0;
};

class FakeCatalog final : public Common::PrinterCatalog {
public:
    explicit FakeCatalog(QList<Common::InstalledPrinter> printers = {})
        : printers_(std::move(printers))
    {
    }
    QList<Common::InstalledPrinter> installedPrinters() override { return printers_; }

private:
    QList<Common::InstalledPrinter> printers_;
};

} // namespace TestSupport
