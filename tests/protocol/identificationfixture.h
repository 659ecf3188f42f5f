#pragma once
// The surroundings of an end-to-end identification test: a temporary data
// folder holding a model data file and a settings file, the real main window
// started in it as the program starts, a simulated printer, and the message
// boxes captured instead of shown.

#include "capturedmessages.h"
#include "files.h"
#include "seams.h"

#include "app/frmmain.h"
#include "app/singleinstance.h"
#include "common/appsettings.h"
#include "common/pointer.h"
#include "common/waitms.h"
#include "link/link.h"
#include "settings/printercatalog.h"
#include "simlink.h"
#include "simprinter.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <memory>

namespace E2E {

class NoPrinters final : public Common::PrinterCatalog {
public:
    QList<Common::InstalledPrinter> installedPrinters() override { return {}; }
};

struct Link {
    std::uint8_t interfaceKind = Common::VirtualCom;
    std::uint8_t comPort = 1;
    bool twoWay = true;
    QByteArray iniLines; // what the settings file says of the interface
};

class Fixture {
public:
    QTemporaryDir runtimeDir;
    QTemporaryDir dataDir;
    TestSupport::Seams seams; // put back after everything below has gone
    std::shared_ptr<Sim::SimPrinter> printer;
    std::unique_ptr<FrmMain> form;
    std::unique_ptr<SimTest::SimulatedLink> sim;

    Fixture()
    {
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
        QDir::setCurrent(dataDir.path());
        seams.printers(std::make_unique<NoPrinters>());
    }

    ~Fixture() { stop(); }

    void newPrinter(std::uint8_t modelId)
    {
        printer = std::make_shared<Sim::SimPrinter>();
        printer->setModelId(modelId);
        printer->setResetTimeMs(0);
    }

    // A printer of printerModel on a simulated link of that kind, and the
    // program started on it with selectedModel chosen. Unplugged, the data
    // folder holds no entry for the port.
    void startOn(std::uint8_t kind, std::uint8_t printerModel, const QString& selectedModel,
                 bool plugged = true)
    {
        newPrinter(printerModel);
        sim = std::make_unique<SimTest::SimulatedLink>(kind, printer);
        if (plugged)
            QVERIFY2(sim->attach(dataDir.path()), qPrintable(sim->error()));
        start({kind, sim->comPort(), kind != Common::USB, sim->iniLines()}, selectedModel);
    }

    // Starts the main window as the program does (load, first activation),
    // with the state the start-up loading gives from the two files written
    // here set directly: the splash and its loading are tested elsewhere.
    // The model selected is modelName.
    void start(const Link& link, const QString& modelName)
    {
        QVERIFY(
            TestSupport::WriteFile(dataDir.filePath(QStringLiteral("Models.Dat")),
                                   "Zentab model data\r\n35ZX-P700\r\n42ZX-B420\r\n51ZX-Q51\r\n"));
        QVERIFY(TestSupport::WriteFile(
            dataDir.filePath(QStringLiteral("Zentab.ini")),
            "Zentab    06.Dec.26  09:00\r\nModelName = " + modelName.toLatin1() + "\r\n" +
                link.iniLines + "SerialNo = Printer001\r\n"));
        // The record is off unless the test set it up: off, the program
        // must behave as it always has.
        const QString recordIni = dataDir.filePath(QStringLiteral("Record.ini"));
        if (!QFile::exists(recordIni))
            QVERIFY(TestSupport::WriteFile(recordIni, "Store = off\r\n"));
        seams.clearMessages();
        seams.splash([] { Common::SplashMode = false; });
        form = std::make_unique<FrmMain>();
        form->Form_Load();
        QVERIFY(!form->AnotherInstanceRunning());
        // The state the start-up loading gives from the two files above.
        Common::ErrorFlag = false;
        Common::ModelList = Common::ModelListRecord{};
        Common::ModelList.ModelCount = 3;
        Common::ModelList.ModelNames = {QStringLiteral("ZX-P700"), QStringLiteral("ZX-B420"),
                                        QStringLiteral("ZX-Q51")};
        Common::ModelList.ModelIds = {0x35, 0x42, 0x51};
        const auto& names = Common::ModelList.ModelNames;
        Common::ModelList.ModelIndex = static_cast<std::uint8_t>(
            std::find(names.begin(), names.end(), modelName) - names.begin() + 1);
        Common::AppSettings.ModelName = modelName;
        Common::AppSettings.SerialNo = QStringLiteral("Printer001");
        Common::AppSettings.Interface = link.interfaceKind;
        Common::AppSettings.COMPort = link.comPort;
        Common::AppSettings.ActiveInterface = link.interfaceKind;
        Common::AppSettings.TwoWayLink = link.twoWay;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTRY_VERIFY_WITH_TIMEOUT(!Common::SplashMode && form->isEnabled() &&
                                     Common::CurrentPointer() == Common::Pointer::Default,
                                 20000);
        QVERIFY2(seams.messages().isEmpty(), "the start-up showed a message");
        QCOMPARE(form->TxtSNo->text(), QStringLiteral("Printer001"));
    }

    void stop()
    {
        if (form) {
            form->close();
            form.reset();
        }
        Common::ReleaseLink();
        sim.reset();
        Common::ReleaseSingleInstance();
    }

    // A failed operation: the old code is still shown and kept, and ErrorFlag
    // says so.
    void verifyNotAdvanced() const
    {
        QCOMPARE(form->TxtSNo->text(), QStringLiteral("Printer001"));
        QCOMPARE(Common::AppSettings.SerialNo, QStringLiteral("Printer001"));
        QVERIFY(!form->CmdSNoBack->isVisible());
        QVERIFY(Common::ErrorFlag);
    }

    // Clicks a button of the main window and waits for its operation to end.
    void click(QPushButton* button)
    {
        QVERIFY(button->isVisible() && button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(form->isEnabled(), 20000);
    }

    // Runs action each time the printer has received the command `bytes`:
    // a fault switched on at the right moment of an operation.
    void afterCommand(const QByteArray& bytes, std::function<void()> action)
    {
        QObject::connect(printer.get(), &Sim::SimPrinter::commandReceived, printer.get(),
                         [bytes, action = std::move(action)](const Sim::SimCommand& c) {
                             if (c.bytes == bytes)
                                 action();
                         });
    }

    // The bytes the printer has received as complete commands, in order.
    QByteArray wire() const
    {
        QByteArray all;
        for (const Sim::SimCommand& c : printer->commandLog())
            all += c.bytes;
        return all;
    }

    QStringList titles() const
    {
        QStringList out;
        for (const CapturedMessage& m : seams.messages().all())
            out << m.title + QLatin1String(" / ") + m.text;
        return out;
    }
};

inline const QByteArray ModelQuery = QByteArray::fromHex("1D4901");
inline const QByteArray SerialNoQuery = QByteArray::fromHex("1D4944");

// The one transmission of "Set S/No." for a 10-character code: IN, F0h with
// the code, OUT.
inline QByteArray SerialNoTransmission(const QByteArray& code)
{
    return QByteArray::fromHex("1D2845030001494E1D28450B00F0") + code +
           QByteArray::fromHex("1D28450400024F5554");
}

inline const QString PrinterNotConfirmed =
    QStringLiteral("Printer ERROR! / Faild to confirm the printer.");
inline const QString RegistrationFailed =
    QStringLiteral("Registration ERROR! / Failed to register the identification code.");

} // namespace E2E
