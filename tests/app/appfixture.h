#pragma once
// Fakes and surroundings shared by the main-window tests: a parallel port and
// a serial control that report what the test sets, a printer list, a
// message-box recorder, a temporary data folder and runtime folder so no test
// touches the real ones, and the main window itself.

#include "app/frmmain.h"
#include "app/serialnumber.h"
#include "app/singleinstance.h"
#include "capturedmessages.h"
#include "common/appsettings.h"
#include "common/waitms.h"
#include "dialogs/dlgver.h"
#include "link/link.h"
#include "link/portio.h"
#include "seams.h"
#include "settings/printercatalog.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>

namespace AppTest {

class FakePortIo final : public Common::PortIoBackend {
public:
    std::uint8_t status = 0xD8; // ready
    bool available = true;      // false: no port I/O on this machine
    int initializeCalls = 0;
    int shutdownCalls = 0;

    bool initialize() override
    {
        ++initializeCalls;
        return available;
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
    bool failOpen = false;
    int closeCalls = 0;
    // "open COM4" and "close COM4", each followed by what context() says then.
    QStringList events;
    std::function<QString()> context;

    void setCommPort(int port) override { port_ = port; }
    int commPort() const override { return port_; }
    bool setSettings(const QString&) override { return true; }
    void setHandshaking(Common::Handshaking) override {}
    bool portOpen() const override { return open_; }
    bool open() override
    {
        note(QStringLiteral("open"));
        return open_ = !failOpen;
    }
    void close() override
    {
        note(QStringLiteral("close"));
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
    void note(const QString& what)
    {
        events << QStringLiteral("%1 COM%2%3")
                      .arg(what)
                      .arg(port_)
                      .arg(context ? context() : QString());
    }
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

// Everything a main-window test needs around the window. Create one in
// initTestCase; install() in init() for fresh fakes and globals.
class Environment {
public:
    QTemporaryDir runtimeDir; // the per-user runtime folder the lock goes to
    QTemporaryDir dataDir;    // the current directory: the program's data folder
    TestSupport::Seams seams; // put back after the window has gone
    FakePortIo* portIo = nullptr;
    FakeSerialControl* serial = nullptr;
    std::unique_ptr<FrmMain> form;

    Environment()
    {
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
        QDir::setCurrent(dataDir.path());
    }
    ~Environment()
    {
        form.reset();
        Common::ReleaseSingleInstance();
    }

    // Fresh fakes, no window, and the globals as the tests expect them
    // before the start-up: default settings, an empty model list, no history.
    void install(QList<Common::InstalledPrinter> printers = {})
    {
        form.reset();
        seams.clearMessages();
        auto portIoFake = std::make_unique<FakePortIo>();
        portIo = portIoFake.get();
        seams.portIo(std::move(portIoFake));
        auto serialFake = std::make_unique<FakeSerialControl>();
        serial = serialFake.get();
        seams.serialControl(std::move(serialFake));
        seams.printers(std::make_unique<FakeCatalog>(std::move(printers)));
        // The tests set the loaded state themselves instead of loading files.
        seams.splash([] { Common::SplashMode = false; });
        Common::AppSettings = Common::AppSettingsRecord{};
        Common::ModelList = Common::ModelListRecord{};
        Common::ModelId = 0;
        Common::HistoryCount = 0;
        Common::SerialHistory = {};
        Common::ErrorFlag = false;
        Common::SplashMode = false;
    }

    // A new main window, shown when show is set.
    FrmMain& openForm(bool show = true)
    {
        form = std::make_unique<FrmMain>();
        if (show) {
            form->show();
            if (!QTest::qWaitForWindowExposed(form.get()))
                qWarning("the main window was not exposed");
        }
        return *form;
    }

    const QList<CapturedMessage>& messages() { return seams.messages().all(); }
    QStringList titles()
    {
        QStringList out;
        for (const CapturedMessage& m : messages())
            out << m.title;
        return out;
    }
};

} // namespace AppTest
