#pragma once
// Fakes and surroundings shared by the main-window tests: a parallel port and
// a serial control that report what the test sets, an empty printer list, a
// message-box recorder, and a temporary data folder and runtime folder so no
// test touches the real ones.

#include "app/msgbox.h"
#include "app/singleinstance.h"
#include "app/waitms.h"
#include "dialogs/dlgver.h"
#include "link/link.h"
#include "link/portio.h"
#include "settings/printercatalog.h"

#include <QDir>
#include <QPair>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace AppTest {

class FakePortIo final : public Common::PortIoBackend {
public:
    std::uint8_t status = 0xD8; // ready
    int initializeCalls = 0;
    int shutdownCalls = 0;

    bool initialize() override
    {
        ++initializeCalls;
        return true;
    }
    void shutdown() override { ++shutdownCalls; }
    bool read(std::uint16_t address, std::uint32_t* value, std::uint8_t /*size*/) override
    {
        *value = (address & 0x3) == 1 ? status : 0;
        return true;
    }
    bool write(std::uint16_t, std::uint32_t, std::uint8_t) override { return true; }
};

class FakeSerialControl final : public Common::SerialControl {
public:
    bool dsr = false;
    bool open_ = false;
    int closeCalls = 0;

    void setCommPort(int port) override { port_ = port; }
    int commPort() const override { return port_; }
    bool setSettings(const QString&) override { return true; }
    void setHandshaking(Common::Handshaking) override {}
    bool portOpen() const override { return open_; }
    bool open() override { return open_ = true; }
    void close() override
    {
        open_ = false;
        ++closeCalls;
    }
    int inBufferCount() override { return 0; }
    int outBufferCount() override { return 0; }
    void discardInput() override {}
    void discardOutput() override {}
    bool output(const QByteArray&) override { return true; }
    std::optional<std::uint8_t> inputByte() override { return std::nullopt; }
    bool dsrHolding() override { return dsr; }
    QString errorString() const override { return {}; }

private:
    int port_ = 1;
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

using Message = QPair<QString, QString>; // title, text

// Everything a main-window test needs around the window. Create one in
// initTestCase; install() again in init() for fresh fakes.
class Environment {
public:
    QTemporaryDir runtimeDir; // the per-user runtime folder the lock goes to
    QTemporaryDir dataDir;    // the current directory: the program's data folder
    QList<Message> messages;
    FakePortIo* portIo = nullptr;
    FakeSerialControl* serial = nullptr;

    Environment()
    {
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
        QDir::setCurrent(dataDir.path());
        Common::SetWaitScaleForTests(5);
    }
    ~Environment()
    {
        Common::SetMsgBoxHandler(nullptr);
        Common::SetStartupSplashForTests(nullptr);
        Common::SetWaitScaleForTests(100);
        Common::ReleaseSingleInstance();
    }

    void install()
    {
        messages.clear();
        Common::SetMsgBoxHandler([this](const QString& title, const QString& text) {
            messages.append({title, text});
        });
        auto portIoFake = std::make_unique<FakePortIo>();
        portIo = portIoFake.get();
        Common::SetPortIoBackend(std::move(portIoFake));
        auto serialFake = std::make_unique<FakeSerialControl>();
        serial = serialFake.get();
        Common::SetSerialControl(std::move(serialFake));
        Common::SetPrinterCatalog(std::make_unique<FakeCatalog>());
        // The tests set the loaded state themselves instead of loading files.
        Common::SetStartupSplashForTests([] { Common::SplashMode = false; });
    }
};

} // namespace AppTest
