// zentab-printer-sim as a command: started as a process, driven through its
// pseudo-terminal, watched through its log and stopped by a signal.

#include "hostterminal.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using SimTest::HostTerminal;

namespace {

constexpr int kGenerousMs = 10000;
const QByteArray kGsI1("\x1D\x49\x01", 3);

QString Binary()
{
    const QByteArray fromEnvironment = qgetenv("ZENTAB_SIM_BINARY");
    return fromEnvironment.isEmpty() ? QStringLiteral(ZENTAB_SIM_BINARY)
                                     : QString::fromLocal8Bit(fromEnvironment);
}

// Waits for the next complete line on standard output.
QString ReadLine(QProcess& process, int timeoutMs = kGenerousMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!process.canReadLine() && !deadline.hasExpired())
        process.waitForReadyRead(50);
    return QString::fromUtf8(process.readLine()).trimmed();
}

// Waits until a line matching pattern has come on standard output.
QString WaitForLine(QProcess& process, const QRegularExpression& pattern)
{
    QDeadlineTimer deadline(kGenerousMs);
    while (!deadline.hasExpired()) {
        const QString line = ReadLine(process, 100);
        if (pattern.match(line).hasMatch())
            return line;
    }
    return {};
}

} // namespace

class TstPrinterSimCommand : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;

    void start(QProcess& process, const QStringList& arguments)
    {
        process.setProgram(Binary());
        process.setArguments(arguments);
        process.start();
        QVERIFY2(process.waitForStarted(kGenerousMs), qPrintable(process.errorString()));
    }

    void stop(QProcess& process, int signalNumber)
    {
        ::kill(static_cast<pid_t>(process.processId()), signalNumber);
        QVERIFY(process.waitForFinished(kGenerousMs));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

private Q_SLOTS:
    // Stopped by SIGINT here, by SIGTERM in the log file test.
    void answersAndLogsOverTheLinkedTerminal()
    {
        QProcess sim;
        start(sim, {QStringLiteral("--link-dir"), folder_.path(), QStringLiteral("--name"),
                    QStringLiteral("COM16"), QStringLiteral("--model"), QStringLiteral("0x51")});
        const QString pts = ReadLine(sim);
        QVERIFY2(pts.startsWith(QStringLiteral("/dev/pts/")), qPrintable(pts));
        const QString link = folder_.filePath(QStringLiteral("COM16"));
        QCOMPARE(ReadLine(sim), QStringLiteral("linked ") + link);
        QCOMPARE(QFileInfo(link).symLinkTarget(), pts);

        HostTerminal host;
        QVERIFY(host.open(link));
        QVERIFY(host.write(kGsI1));
        QCOMPARE(host.read(1, kGenerousMs), QByteArray("\x51"));
        static const QRegularExpression logLine(
            QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} GS I 1  \\[1D 49 01\\]$"));
        QVERIFY(!WaitForLine(sim, logLine).isEmpty());
        host.close();

        stop(sim, SIGINT);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    // The log file and the options that set the printer up, faults included.
    void logFileAndOptions()
    {
        const QString logPath = folder_.filePath(QStringLiteral("sim.log"));
        QProcess sim;
        start(sim, {QStringLiteral("--log"), logPath, QStringLiteral("--code"),
                    QStringLiteral("Printer005"), QStringLiteral("--model-name"),
                    QStringLiteral("ZX-Q1"), QStringLiteral("--reset-ms"), QStringLiteral("50"),
                    QStringLiteral("--other-model"), QStringLiteral("35h"),
                    QStringLiteral("--delay"), QStringLiteral("200")});
        const QString pts = ReadLine(sim);
        HostTerminal host;
        QVERIFY(host.open(pts));
        QVERIFY(host.write(kGsI1));
        QCOMPARE(host.readFor(100), QByteArray()); // late, and another model
        QCOMPARE(host.read(1, kGenerousMs), QByteArray("\x35"));
        QVERIFY(host.write(QByteArray("\x1D\x49\x44")));
        QCOMPARE(host.read(12, kGenerousMs), QByteArray("\x5FPrinter005\x00", 12));
        QVERIFY(host.write(QByteArray("\x1D\x49\x43")));
        QCOMPARE(host.read(7, kGenerousMs), QByteArray("\x5FZX-Q1\x00", 7));
        QVERIFY(host.write(QByteArray("\x1D\x28\x45\x03\x00\x01\x49\x4E", 8)));
        QCOMPARE(host.read(3, kGenerousMs), QByteArray("\x37\x20\x00", 3));
        stop(sim, SIGTERM);

        QFile log(logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY2(text.contains(QStringLiteral(" GS I 44h  [1D 49 44]\n")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral(" -> 5F 50 72 69 6E 74 65 72 30 30 35 00\n")));
    }

    // The demo links into a folder of the operator's: a file of that name
    // there is never replaced.
    void leavesTheOperatorsFileAlone()
    {
        const QString path = folder_.filePath(QStringLiteral("COM3"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("operator's file") > 0);
        file.close();
        QProcess sim;
        start(sim, {QStringLiteral("--link-dir"), folder_.path(), QStringLiteral("--name"),
                    QStringLiteral("COM3")});
        QVERIFY(sim.waitForFinished(kGenerousMs));
        QCOMPARE(sim.exitCode(), 1);
        QVERIFY(QString::fromUtf8(sim.readAllStandardError()).contains("not a symbolic link"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("operator's file"));
    }

    void badValuesAndHelp_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("model too big") << QStringList{"--model", "0x151"} << 2 << "--model";
        QTest::newRow("code too long") << QStringList{"--code", "Printer0001"} << 2 << "--code";
        QTest::newRow("name with slash") << QStringList{"--name", "../COM1"} << 2 << "--name";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "--vanish-after";
    }
    void badValuesAndHelp()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        QProcess sim;
        start(sim, arguments);
        QVERIFY(sim.waitForFinished(kGenerousMs));
        QCOMPARE(sim.exitCode(), exitCode);
        const QString output =
            QString::fromUtf8(sim.readAllStandardOutput() + sim.readAllStandardError());
        QVERIFY2(output.contains(says), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TstPrinterSimCommand)
#include "tst_printersimcommand.moc"
