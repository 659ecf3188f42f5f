// A program killed outright (power cut, SIGKILL) must not offer again a code the printers
// carry: driven by keys on an X server of its own, it writes a code into the simulated printer
// on a virtual COM port and is killed; started again, it must write the next code.

#include "environment.h"

#include <QtTest>

using namespace TestSupport;

namespace {

constexpr int kTimeoutMs = 30000; // a loaded machine starts slowly

QString Xdotool(const QStringList& args)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), args);
    const bool ran = tool.waitForFinished(kTimeoutMs) && tool.exitCode() == 0;
    return ran ? QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed() : QString();
}

} // namespace

class TestCrashRecovery : public QObject {
    Q_OBJECT

    Environment env_;
    QProcess* program_ = nullptr;

    // How often the printer's log says it stored the code (any code when empty).
    qsizetype stored(const QByteArray& code = {}) const
    {
        return env_.read("printer.log").count(code.toHex(' ').toUpper() + "] (stored)");
    }

    // Starts the program and presses Enter until it has written one more code (a press during
    // its start-up, the window disabled, goes nowhere).
    void startAndWriteACode()
    {
        const qsizetype before = stored();
        program_ = &env_.startProgram(ZENTAB_APP_BINARY, {}, qEnvironmentVariable("DISPLAY"));
        // Its own window: the X server may still list the killed program's, dead to keys.
        const QString window = Xdotool({"search", "--sync", "--onlyvisible", "--pid",
                                        QString::number(program_->processId()), "--name",
                                        "^Identification of Talvik Printers$"});
        QVERIFY2(!window.isEmpty(), "no window (xdotool, from scripts/install-deps, missing?)");
        QVERIFY(QTest::qWaitFor(
            [&] {
                // No window manager runs here: the window gets the keyboard directly.
                Xdotool({"windowfocus", "--sync", window});
                Xdotool({"key", "Return"});
                QTest::qWait(250);
                return stored() > before;
            },
            kTimeoutMs));
    }

private Q_SLOTS:
    void killedAfterAWriteOffersTheNextCode()
    {
        // Xvfb picks a free display and names it once it takes clients.
        QProcess& server = env_.startProgram(
            "Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
        QVERIFY2(server.waitForStarted(kTimeoutMs) &&
                     QTest::qWaitFor([&server] { return server.canReadLine(); }, kTimeoutMs),
                 "no X server (Xvfb, from scripts/install-deps, missing?)");
        qputenv("DISPLAY", ':' + server.readLine().trimmed());
        QVERIFY(env_.write("Models.Dat", "Zentab\r\n35ZX-P700\r\n"));
        QVERIFY(env_.write("Zentab.ini",
                           "Zentab    06.Dec.26  09:00\r\nModelName = ZX-P700\r\n"
                           "Interface = VirtualCOM\r\nCOMPort =  16\r\nSerialNo = Printer001\r\n"));
        env_.startProgram(ZENTAB_SIM_BINARY, {"--link-dir", env_.dataDir.path(), "--name", "COM16",
                                              "--log", env_.path("printer.log")});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(env_.path("COM16")), kTimeoutMs);

        startAndWriteACode();
        // The code written is saved once the operation ends, before any exit.
        QTRY_VERIFY_WITH_TIMEOUT(env_.read("Zentab.ini").contains("SerialNo = Printer002\r\n"),
                                 kTimeoutMs);
        program_->kill(); // no exit handler runs
        QVERIFY(program_->waitForFinished(kTimeoutMs));

        startAndWriteACode(); // it takes over the lock the killed one left
        QVERIFY2(stored() == 2 && stored("Printer002") == 1, env_.read("printer.log").constData());
    }
};

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
