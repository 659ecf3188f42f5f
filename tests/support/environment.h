#pragma once
// Everything a test needs around the program, put back when it goes: the
// data and runtime folders, the globals, the seams, the main window, a
// simulated printer on a link, and programs started as processes.

#include "fakes.h"
#include "files.h"
#include "seams.h"
#include "simlink.h"

#include "app/frmmain.h"

#include <QDialog>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

class QPushButton;

namespace Sim {
class SimPrinter;
struct SimCommand;
} // namespace Sim

namespace TestSupport {

inline QString FixturePath(const QString& name)
{
    return QStringLiteral(ZENTAB_TEST_FIXTURES "/") + name;
}

class Environment {
public:
    explicit Environment(int waitScalePercent = 5);
    ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    QTemporaryDir runtimeDir; // the per-user runtime folder the lock goes to
    QTemporaryDir dataDir;    // the current directory and DataFolder
    Seams seams;
    FakePortIo* portIo = nullptr;
    FakeSerialControl* serial = nullptr;
    std::unique_ptr<FrmMain> form;
    std::shared_ptr<Sim::SimPrinter> printer;
    std::unique_ptr<SimTest::SimulatedLink> sim;

    QString path(const QString& name) const { return dataDir.filePath(name); }
    bool write(const QString& name, const QByteArray& bytes) const
    {
        return WriteFile(path(name), bytes);
    }
    QByteArray read(const QString& name) const { return ReadFile(path(name)); }
    // Every file there, hidden ones too: shows a temporary file left behind.
    QStringList files() const { return QDir(dataDir.path()).entryList(QDir::Files | QDir::Hidden); }

    // Every global at its start-up value, ErrorFlag set.
    static void resetGlobals();
    // No window, fresh fakes, the globals reset (ErrorFlag clear), no splash.
    void install(QList<Common::InstalledPrinter> printers = {});
    // A new main window, shown and exposed when show is set.
    FrmMain& openForm(bool show = true);

    // A printer of printerModel on a simulated link of that kind, and the
    // main window started on it as the program does: the settings file
    // naming selectedModel and the link, the model file listing ZX-P700
    // (35h), ZX-B420 (42h) and ZX-Q51 (51h), the box showing Printer001.
    // Unplugged, the data folder holds no entry for the port.
    void startOn(std::uint8_t kind, std::uint8_t printerModel, const QString& selectedModel,
                 bool plugged = true);
    // The same with the link the settings file's linkLines choose.
    void start(const QByteArray& linkLines, const QString& modelName);
    void newPrinter(std::uint8_t modelId);
    // Closes the window and releases the link, the printer and the lock.
    void stop();
    // Clicks a button of the main window and waits for its operation to end.
    void click(QPushButton* button);
    // Runs action each time the printer has received the command `bytes`.
    void afterCommand(const QByteArray& bytes, std::function<void()> action);
    // The bytes the printer has received as complete commands, in order.
    QByteArray wire() const;
    // A failed operation: Printer001 still shown and kept, ErrorFlag set.
    void verifyNotAdvanced() const;

    const QList<CapturedMessage>& messages() const { return seams.messages().all(); }
    // Each box as "title / text".
    QStringList shown() const;
    QStringList titles() const;

    // A program started in the data folder, offscreen unless display is
    // given; killed when the environment goes.
    QProcess& startProgram(const QString& binary, const QStringList& arguments = {},
                           const QString& display = {});

private:
    std::vector<std::unique_ptr<QProcess>> processes_;
    QString previousDataFolder_;
};

// Operates the next modal dialog of type Dialog once it is up; the returned
// flag says whether it did. One still open timeoutMs later is ended with code
// 99, so that a test fails instead of hanging.
std::shared_ptr<bool> AnswerModalWidget(std::function<bool(QWidget*)> tryOperate, int timeoutMs);
template <typename Dialog = QDialog>
std::shared_ptr<bool> AnswerModal(std::function<void(Dialog&)> operate, int timeoutMs = 10000)
{
    return AnswerModalWidget(
        [operate = std::move(operate)](QWidget* widget) {
            auto* dialog = qobject_cast<Dialog*>(widget);
            if (dialog)
                operate(*dialog);
            return dialog != nullptr;
        },
        timeoutMs);
}

inline const QByteArray ModelQuery = QByteArray::fromHex("1D4901");
inline const QByteArray SerialNoQuery = QByteArray::fromHex("1D4944");
// "Set S/No." of a 10-character code in one transmission: IN, F0h, OUT.
inline QByteArray SerialNoTransmission(const QByteArray& code)
{
    return QByteArray::fromHex("1D2845030001494E1D28450B00F0") + code +
           QByteArray::fromHex("1D28450400024F5554");
}
inline const QString PrinterNotConfirmed =
    QStringLiteral("Printer ERROR! / Faild to confirm the printer.");
inline const QString RegistrationFailed =
    QStringLiteral("Registration ERROR! / Failed to register the identification code.");

} // namespace TestSupport
