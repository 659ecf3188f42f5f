// The program as a process: its command line answers without a window
// system; a second one started beside it ends at once; a shutdown, a logout
// or Ctrl+C ends it as File > Exit does, the settings written with the code
// reached. The in-process cases check what holds that close back.

#include "environment.h"

#include "app/singleinstance.h"
#include "common/appsettings.h"
#include "common/termsignals.h"

#include <QRegularExpression>
#include <QtTest>
#include <array>
#include <csignal>

using namespace Common;
using namespace TestSupport;

namespace {
constexpr int kTimeoutMs = 60000; // a loaded machine starts slowly
const QByteArray OldHeader = "Zentab    01.Jan.20  00:00";

int ExitCode(const QProcess& process) // -1: it crashed
{
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
} // namespace

class TestProcess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { WaitPending = false; }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // what the standard output and error match
        QTest::addColumn<QString>("err");
        const QString none = QStringLiteral("\\A\\z");
        const QString version = QStringLiteral("\\Azentab %1\\.%2\\.%3\\n\\z")
                                    .arg(ZENTAB_VERSION_MAJOR)
                                    .arg(ZENTAB_VERSION_MINOR)
                                    .arg(ZENTAB_VERSION_PATCH);
        QTest::newRow("--version") << QStringList{"--version"} << 0 << version << none;
        QTest::newRow("-v") << QStringList{"-v"} << 0 << version << none;
        QTest::newRow("Qt's -style beside it")
            << QStringList{"-style", "fusion", "--version"} << 0 << version << none;
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "(?s)--help.*--version" << none;
        QTest::newRow("unknown option")
            << QStringList{"--no-such-option"} << 2 << none << "(?s)no-such-option.*--help";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess program; // with no display of any kind: it would abort if it needed one
        QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            system.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(system);
        program.start(QStringLiteral(ZENTAB_APP_BINARY), arguments);
        QVERIFY(program.waitForFinished(kTimeoutMs));
        QCOMPARE(ExitCode(program), exitCode);
        const QString written[] = {program.readAllStandardOutput(), program.readAllStandardError()};
        QVERIFY2(written[0].contains(QRegularExpression(out)), qPrintable(written[0]));
        QVERIFY2(written[1].contains(QRegularExpression(err)), qPrintable(written[1]));
    }

    // Three programs at once, each in folders of its own, get a signal during
    // the start-up (which the splash makes last 4 s); a second program beside
    // the first ends at once and writes nothing.
    void signalEndsTheProgramInOrder()
    {
        std::array<Environment, 3> envs;
        std::array<QProcess*, 3> programs{};
        const int signalNumbers[] = {SIGTERM, SIGHUP, SIGINT};
        for (int i = 0; i < 3; ++i) {
            QVERIFY(envs[i].write(QStringLiteral("Models.Dat"), "Zentab\r\n35ZX-P700\r\n"));
            QVERIFY(envs[i].write(QStringLiteral("Zentab.ini"),
                                  OldHeader + "\r\nModelName = ZX-P700\r\nInterface = Parallel\r\n"
                                              "SerialNo = Printer007\r\nStartNum = 7\r\n"));
            programs[i] = &envs[i].startProgram(QStringLiteral(ZENTAB_APP_BINARY));
        }
        // The lock is taken once the program serves the signals.
        const auto lock = [&envs](int i) { return envs[i].runtimeDir.filePath("zentab.lock"); };
        for (int i = 0; i < 3; ++i)
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock(i)), kTimeoutMs);

        QProcess& second = envs[0].startProgram(QStringLiteral(ZENTAB_APP_BINARY));
        QVERIFY(second.waitForFinished(kTimeoutMs));
        QCOMPARE(ExitCode(second), 0);
        QVERIFY(programs[0]->state() == QProcess::Running && QFile::exists(lock(0)));
        QCOMPARE(envs[0].files(), (QStringList{"Models.Dat", "Zentab.ini"}));
        QVERIFY(envs[0].read(QStringLiteral("Zentab.ini")).startsWith(OldHeader));

        for (int i = 0; i < 3; ++i)
            QCOMPARE(::kill(pid_t(programs[i]->processId()), signalNumbers[i]), 0);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(programs[i]->waitForFinished(kTimeoutMs));
            QCOMPARE(ExitCode(*programs[i]), 0);
            const QByteArray written = envs[i].read(QStringLiteral("Zentab.ini"));
            QVERIFY2(written.startsWith("Zentab ") && !written.startsWith(OldHeader) &&
                         written.contains("SerialNo = Printer007\r\n"),
                     QByteArray::number(signalNumbers[i]) + ": " + written);
        }
    }

    // A modal dialog is closed first; a disabled window (an operation or the
    // start-up runs) and a waiting handler are let finish.
    void closeWhenIdle()
    {
        QWidget window;
        window.show();
        QDialog dialog(&window);
        dialog.setModal(true);
        QTimer::singleShot(0, &window, [&window] { CloseWhenIdle(window); });
        QTimer::singleShot(5000, &dialog, [&dialog] { dialog.done(99); }); // left open
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));                   // closed
        window.setEnabled(false);                                          // before the next try
        QTest::qWait(250);
        QVERIFY(window.isVisible());
        window.setEnabled(true);
        WaitPending = true;
        QTest::qWait(250);
        QVERIFY(window.isVisible());
        WaitPending = false;
        QTRY_VERIFY(!window.isVisible());
    }

    // A folder where no lock can be made says nothing about another instance.
    void noLockFolderDoesNotStopTheProgram()
    {
        QTemporaryDir folder;
        QVERIFY(InstanceLock(folder.filePath(QStringLiteral("missing/deeper"))).tryAcquire());
    }
};

QTEST_MAIN(TestProcess)
#include "tst_process.moc"
