// A program killed outright (power cut, SIGKILL, the OOM killer) must not
// offer again a code that printers already carry. The real program writes a
// code into the simulated printer on a virtual COM port, driven by key
// presses on an X server of its own, and is killed; the program started
// again must write the next code, not the one written before.

#include "environment.h"

#include <QStandardPaths>
#include <QtTest>

using namespace TestSupport;

namespace {

constexpr int kTimeoutMs = 30000; // a loaded machine starts slowly

// xdotool on the display DISPLAY names; its output, trimmed.
QString Xdotool(const QStringList& args)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), args);
    if (!tool.waitForFinished(kTimeoutMs) || tool.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

} // namespace

class TestCrashRecovery : public QObject {
    Q_OBJECT

    Environment env_;
    QString display_;
    QProcess* program_ = nullptr;

    // How often the printer's log says it stored the code (any code when empty).
    qsizetype stored(const QByteArray& code = {}) const
    {
        return env_.read(QStringLiteral("printer.log"))
            .count(code.toHex(' ').toUpper() + "] (stored)");
    }

    // Starts the program and presses Enter until, once past its start-up, it
    // has written one more code (a press while the window is disabled goes
    // nowhere).
    void startAndWriteACode()
    {
        const qsizetype before = stored();
        program_ = &env_.startProgram(QStringLiteral(ZENTAB_APP_BINARY), {}, display_);
        const QString window = Xdotool({"search", "--sync", "--onlyvisible", "--name",
                                        "^Identification of Talvik Printers$"})
                                   .section(QLatin1Char('\n'), 0, 0);
        QVERIFY(!window.isEmpty());
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
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            QFAIL("needs Xvfb and xdotool (scripts/install-deps installs them)");
        // Xvfb picks a free display and names it once it takes clients.
        QProcess& server =
            env_.startProgram(QStringLiteral("Xvfb"), {"-displayfd", "1", "-nolisten", "tcp",
                                                       "-screen", "0", "1024x768x24"});
        QVERIFY(QTest::qWaitFor([&server] { return server.canReadLine(); }, kTimeoutMs));
        display_ = QLatin1Char(':') + QString::fromLatin1(server.readLine().trimmed());
        qputenv("DISPLAY", display_.toLatin1());
        QVERIFY(env_.write(QStringLiteral("Models.Dat"), "Zentab\r\n35ZX-P700\r\n"));
        QVERIFY(env_.write(QStringLiteral("Zentab.ini"),
                           "Zentab    06.Dec.26  09:00\r\nModelName = ZX-P700\r\n"
                           "Interface = VirtualCOM\r\nCOMPort =  16\r\nSerialNo = Printer001\r\n"));
        env_.startProgram(QStringLiteral(ZENTAB_SIM_BINARY),
                          {"--link-dir", env_.dataDir.path(), "--name", "COM16", "--log",
                           env_.path(QStringLiteral("printer.log"))});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(env_.path(QStringLiteral("COM16"))), kTimeoutMs);
    }

    void killedAfterAWriteOffersTheNextCode()
    {
        startAndWriteACode();
        // The code written is saved once the operation ends, before any exit.
        QTRY_VERIFY_WITH_TIMEOUT(
            env_.read(QStringLiteral("Zentab.ini")).contains("SerialNo = Printer002\r\n"),
            kTimeoutMs);
        program_->kill(); // no exit handler runs
        QVERIFY(program_->waitForFinished(kTimeoutMs));
        QCOMPARE(program_->exitStatus(), QProcess::CrashExit);

        startAndWriteACode(); // it takes over the lock the killed one left
        QCOMPARE(stored(), 2);
        QCOMPARE(stored("Printer002"), 1);
    }
};

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
