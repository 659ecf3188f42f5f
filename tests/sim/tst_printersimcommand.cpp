// zentab-printer-sim as a command: started as a process, linked into a data
// folder as the demo does, driven through its pseudo-terminal, watched
// through its log and stopped by a signal.

#include "files.h"
#include "hostterminal.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

constexpr int kGenerousMs = 10000;
const QString kBinary = QStringLiteral(ZENTAB_SIM_BINARY);

} // namespace

class TstPrinterSimCommand : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    const QString link_ = folder_.filePath(QStringLiteral("COM16"));
    QString pts_;    // the terminal's path, where the link leads
    QString output_; // standard output, once stopped

    // Starts it linked into the folder as COM16 and opens the link as the
    // tool would.
    void start(QProcess& sim, SimTest::HostTerminal& host, const QStringList& options)
    {
        sim.start(kBinary, QStringList{"--link-dir", folder_.path(), "--name", "COM16"} + options);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link_).isSymLink(), kGenerousMs);
        pts_ = QFileInfo(link_).symLinkTarget();
        QVERIFY2(pts_.startsWith(QStringLiteral("/dev/pts/")) && host.open(link_),
                 qPrintable(pts_));
    }

    // The demo's clean-up sends SIGTERM, Ctrl+C SIGINT: both end it normally,
    // taking the link away. Its output began with the terminal's path.
    void stop(QProcess& sim, int signalNumber)
    {
        ::kill(static_cast<pid_t>(sim.processId()), signalNumber);
        QVERIFY(sim.waitForFinished(kGenerousMs));
        QVERIFY(sim.exitStatus() == QProcess::NormalExit && sim.exitCode() == 0);
        QVERIFY(!QFileInfo(link_).isSymLink());
        output_ = QString::fromUtf8(sim.readAllStandardOutput());
        QVERIFY2(output_.startsWith(pts_ + QStringLiteral("\nlinked ") + link_ + '\n'),
                 qPrintable(output_));
    }

private Q_SLOTS:
    // As scripts/lib/common.sh starts it: model 51h, the log in a file.
    void demoPrinter()
    {
        const QString logPath = folder_.filePath(QStringLiteral("printer.log"));
        QProcess sim;
        SimTest::HostTerminal host;
        start(sim, host, {"--model", "0x51", "--log", logPath});
        QVERIFY(host.write("\x1D\x49\x01"));
        QCOMPARE(host.read(1, kGenerousMs), QByteArray("\x51"));
        stop(sim, SIGTERM);
        const QString log = QString::fromUtf8(TestSupport::ReadFile(logPath));
        QVERIFY2(log.contains(QStringLiteral(" GS I 1  [1D 49 01]\n")) &&
                     log.contains(QStringLiteral(" -> 51\n")),
                 qPrintable(log));
    }

    // The options that set the printer up, faults included; without --log the
    // log goes to standard output.
    void optionsAndTheLogOnStandardOutput()
    {
        QProcess sim;
        SimTest::HostTerminal host;
        start(sim, host,
              {"--code", "Printer005", "--model-name", "ZX-Q1", "--other-model", "42h", "--delay",
               "200"});
        QVERIFY(host.write("\x1D\x49\x01"));
        QCOMPARE(host.readFor(100), QByteArray()); // late, and another model
        QCOMPARE(host.read(1, kGenerousMs), QByteArray("\x42"));
        QVERIFY(host.write(QByteArray("\x1D\x49\x44\x1D\x49\x43")));
        QCOMPARE(host.read(19, kGenerousMs), QByteArray("\x5FPrinter005\x00\x5FZX-Q1\x00", 19));
        stop(sim, SIGINT);
        QVERIFY(output_.contains(QStringLiteral(" GS I 44h  [1D 49 44]\n")));
    }

    // Bad values end it at once; so does a file of the link's name in the
    // operator's data folder, which it never replaces.
    void refusedOrHelp_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("model too big") << QStringList{"--model", "0x151"} << 2 << "--model";
        QTest::newRow("code too long") << QStringList{"--code", "Printer0001"} << 2 << "--code";
        QTest::newRow("name with slash") << QStringList{"--name", "../COM1"} << 2 << "--name";
        QTest::newRow("operator's file")
            << QStringList{"--link-dir", folder_.path(), "--name", "COM3"} << 1
            << "not a symbolic link";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "--vanish-after";
    }
    void refusedOrHelp()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, says);
        const QString operatorsFile = folder_.filePath(QStringLiteral("COM3"));
        QVERIFY(TestSupport::WriteFile(operatorsFile, "operator's file"));
        QProcess sim;
        sim.start(kBinary, arguments);
        QVERIFY(sim.waitForFinished(kGenerousMs));
        QTEST(sim.exitCode(), "exitCode");
        const QString output =
            QString::fromUtf8(sim.readAllStandardOutput() + sim.readAllStandardError());
        QVERIFY2(output.contains(says), qPrintable(output));
        QCOMPARE(TestSupport::ReadFile(operatorsFile), QByteArray("operator's file"));
    }
};

QTEST_GUILESS_MAIN(TstPrinterSimCommand)
#include "tst_printersimcommand.moc"
