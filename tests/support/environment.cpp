#include "environment.h"

#include "app/serialnumber.h"
#include "app/singleinstance.h"
#include "common/appsettings.h"
#include "common/pointer.h"
#include "files.h"
#include "link/link.h"
#include "settings/modeldata.h"
#include "settings/settingsfile.h"
#include "simprinter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace TestSupport {

Environment::Environment(int waitScalePercent) : seams(waitScalePercent)
{
    qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    QDir::setCurrent(dataDir.path());
    resetGlobals();
    previousDataFolder_ = Common::DataFolder;
    Common::DataFolder = dataDir.path();
    seams.printers(std::make_unique<FakeCatalog>());
}

Environment::~Environment()
{
    stop();
    for (auto& process : processes_) {
        process->kill();
        process->waitForFinished(5000);
    }
    Common::DataFolder = previousDataFolder_;
}

void Environment::resetGlobals()
{
    Common::AppSettings = Common::AppSettingsRecord{};
    Common::ModelList = Common::ModelListRecord{};
    Common::ModelId = 0;
    Common::HistoryCount = 0;
    Common::SerialHistory = {};
    Common::ErrorFlag = true;
    Common::DialogCancelled = false;
    Common::SplashMode = false;
}

void Environment::install(QList<Common::InstalledPrinter> printers)
{
    form.reset();
    seams.clearMessages();
    auto portIoFake = std::make_unique<FakePortIo>();
    portIo = portIoFake.get();
    seams.portIo(std::move(portIoFake));
    auto serialFake = std::make_unique<FakeSerialControl>();
    serial = serialFake.get();
    serial->dsr = false;
    seams.serialControl(std::move(serialFake));
    seams.printers(std::make_unique<FakeCatalog>(std::move(printers)));
    seams.splash([] { Common::SplashMode = false; });
    resetGlobals();
    Common::ErrorFlag = false;
}

FrmMain& Environment::openForm(bool show)
{
    form = std::make_unique<FrmMain>();
    if (show) {
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qWarning("the main window was not exposed");
    }
    return *form;
}

void Environment::newPrinter(std::uint8_t modelId)
{
    printer = std::make_shared<Sim::SimPrinter>();
    printer->setModelId(modelId);
    printer->setResetTimeMs(0);
}

void Environment::startOn(std::uint8_t kind, std::uint8_t printerModel,
                          const QString& selectedModel, bool plugged)
{
    newPrinter(printerModel);
    sim = std::make_unique<SimTest::SimulatedLink>(kind, printer);
    if (plugged)
        QVERIFY2(sim->attach(dataDir.path()), qPrintable(sim->error()));
    start(sim->iniLines(), selectedModel);
}

void Environment::start(const QByteArray& linkLines, const QString& modelName)
{
    QVERIFY(write(QStringLiteral("Models.Dat"),
                  "Zentab model data\r\n35ZX-P700\r\n42ZX-B420\r\n51ZX-Q51\r\n"));
    QVERIFY(write(QStringLiteral("Zentab.ini"),
                  "Zentab    06.Dec.26  09:00\r\nModelName = " + modelName.toLatin1() + "\r\n" +
                      linkLines + "SerialNo = Printer001\r\n"));
    // The record is off unless the test set it up: off, the program behaves
    // as it always has.
    if (!QFile::exists(path(QStringLiteral("Record.ini"))))
        QVERIFY(write(QStringLiteral("Record.ini"), "Store = off\r\n"));
    seams.clearMessages();
    // The start-up's loading without the splash around it, which is tested
    // on its own.
    seams.splash([] {
        Common::SplashMode = false;
        Common::ErrorFlag = Common::LoadSettings().status != Common::LoadStatus::Done ||
                            Common::LoadModelData().status != Common::LoadStatus::Done;
    });
    form = std::make_unique<FrmMain>();
    form->Form_Load();
    QVERIFY(!form->AnotherInstanceRunning());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTRY_VERIFY_WITH_TIMEOUT(!Common::SplashMode && form->isEnabled() &&
                                 Common::CurrentPointer() == Common::Pointer::Default,
                             20000);
    QVERIFY2(seams.messages().isEmpty(), "the start-up showed a message");
    QCOMPARE(form->TxtSNo->text(), QStringLiteral("Printer001"));
}

void Environment::stop()
{
    if (form) {
        form->close();
        form.reset();
    }
    Common::ReleaseLink();
    sim.reset();
    Common::ReleaseSingleInstance();
}

void Environment::click(QPushButton* button)
{
    QVERIFY(button->isVisible() && button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(form->isEnabled(), 20000);
}

void Environment::afterCommand(const QByteArray& bytes, std::function<void()> action)
{
    QObject::connect(printer.get(), &Sim::SimPrinter::commandReceived, printer.get(),
                     [bytes, action = std::move(action)](const Sim::SimCommand& c) {
                         if (c.bytes == bytes)
                             action();
                     });
}

QByteArray Environment::wire() const
{
    QByteArray all;
    for (const Sim::SimCommand& c : printer->commandLog())
        all += c.bytes;
    return all;
}

void Environment::verifyNotAdvanced() const
{
    QCOMPARE(form->TxtSNo->text(), QStringLiteral("Printer001"));
    QCOMPARE(Common::AppSettings.SerialNo, QStringLiteral("Printer001"));
    QVERIFY(!form->CmdSNoBack->isVisible());
    QVERIFY(Common::ErrorFlag);
}

QStringList Environment::shown() const
{
    QStringList out;
    for (const CapturedMessage& m : messages())
        out << m.title + QLatin1String(" / ") + m.text;
    return out;
}

QStringList Environment::titles() const
{
    QStringList out;
    for (const CapturedMessage& m : messages())
        out << m.title;
    return out;
}

QProcess& Environment::startProgram(const QString& binary, const QStringList& arguments,
                                    const QString& display)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir.path());
    if (display.isEmpty()) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), display);
    }
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(dataDir.path());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(binary, arguments);
    processes_.push_back(std::move(process));
    return *processes_.back();
}

std::shared_ptr<bool> AnswerModalWidget(std::function<bool(QWidget*)> tryOperate, int timeoutMs)
{
    auto answered = std::make_shared<bool>(false);
    auto* poll = new QTimer(qApp); // the application owns it until it is done
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        poll->stop();
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && tryOperate(modal)) {
            *answered = true;
            QTimer::singleShot(timeoutMs, modal, [modal] {
                if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
                    dialog->done(99);
            });
        } else if (waited->elapsed() < timeoutMs) {
            poll->start();
            return;
        }
        poll->deleteLater();
    });
    poll->start(10);
    return answered;
}

} // namespace TestSupport
