// The simulated printer: its protocol core, and zentab-printer-sim as a process linked into a
// data folder as the demo does. Its faults and transports are left to the link and protocol tests.

#include "files.h"
#include "hostterminal.h"
#include "simprinter.h"

#include <QtTest>
#include <csignal>

constexpr int kGenerousMs = 10000;
const QString kBinary = QStringLiteral(ZENTAB_SIM_BINARY);
const QByteArray kGsI1("\x1D\x49\x01", 3);
const QByteArray kIn("\x1D\x28\x45\x03\x00\x01\x49\x4E", 8);
const QByteArray kOut("\x1D\x28\x45\x04\x00\x02\x4F\x55\x54", 9);
const QByteArray kNotice("\x37\x20\x00", 3);
// GS ( E fn F0h, pL counting the function byte and the code.
const QByteArray kStore = QByteArray::fromHex("1D28450B00F0") + "Printer042";
const QByteArray kStoreNine = QByteArray::fromHex("1D28450A00F0") + "Printer42";

class TstSimPrinter : public QObject {
    Q_OBJECT

    qint64 now_ = 0;
    std::unique_ptr<Sim::SimPrinter> printer_;

    QTemporaryDir folder_;
    const QString link_ = folder_.filePath(QStringLiteral("COM16"));

private Q_SLOTS:
    void init()
    {
        printer_ = std::make_unique<Sim::SimPrinter>();
        printer_->setClock([this] { return now_; });
        printer_->setIdentificationCode("Code1");
        printer_->setModelName("ZX-P700");
    }

    // One feed, the printer's reply and the code it then holds. A GS I 1 at the end shows that
    // the bytes before it were taken as the right commands.
    void exchanges_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("code");
        const auto row = [](auto name, QByteArray in, QByteArray out, QByteArray code = "Code1") {
            QTest::newRow(name) << in << out << code.leftJustified(10, '\0');
        };
        row("GS I 1", kGsI1, "\x35");
        // GS I 44h: 5Fh ("_"), the code padded; GS I 43h: 5Fh, the name up to its first 00h.
        row("code and name", "\x1DID\x1DIC", QByteArray("_Code1\0\0\0\0\0\0_ZX-P700\0", 21));
        row("code stored", kIn + kStore + kOut, kNotice, "Printer042");
        // Not IN, so the store comes outside the user setting mode.
        row("IN with other parameters", kIn.first(6) + "IO" + kStore, {});
        row("store of nine bytes", kIn + kStoreNine + kOut, kNotice);
        // In the mode only the user setting commands count; a second IN is not announced.
        row("query and IN in the mode", kIn + kGsI1 + kIn, kNotice);
        row("OUT outside the mode resets nothing", kOut + kGsI1, "\x35");
        // pL pH (pH in 256s) count the data of every GS ( x command, never read as commands;
        // this longest one is passed over unheld. Its last byte, a GS, would swallow the query.
        row("GS ( L of 65535 bytes",
            "\x1D(L\xFF\xFF" + QByteArray("I\x01\x1D").repeated(0x5555) + kGsI1, "\x35");
        // ESC, FS, DLE and GS other than GS I and GS ( are their prefix and one byte.
        row("others", "\x1B\x1DI\x01\x1C\x1DI\x01\x10\x1DI\x01\x1D\x1DI\x01\x1B@\x1DI\x01", "\x35");
    }
    void exchanges()
    {
        QFETCH(QByteArray, command);
        printer_->feed(command);
        QTEST(printer_->takeReply(), "reply");
        QTEST(printer_->identificationCode(), "code");
    }

    // OUT ends the mode with a software reset: no input is taken and the
    // ready line (DSR) is low until it is over.
    void resetAfterOut()
    {
        // The tool pauses 2000 ms after its write: the printer is back by then.
        const int resetMs = printer_->resetTimeMs();
        QVERIFY(resetMs > 0 && resetMs < 2000);
        const QByteArray write = kIn + kStore + kOut;
        QCOMPARE(printer_->feed(write + kGsI1), qint64(write.size()));
        QCOMPARE(printer_->msUntilTaking(), std::optional<qint64>(resetMs));
        now_ += resetMs - 1;
        QVERIFY(!printer_->readyLine() && printer_->feed(kGsI1) == 0);
        now_ += 1;
        QVERIFY(printer_->readyLine() && printer_->feed(kGsI1) == 3);
        QCOMPARE(printer_->takeReply(), kNotice + "\x35");
    }
    // As scripts/lib/common.sh starts it (model 51h, the log in a file), then with the options
    // that set the printer up, faults included, logging to standard output. The demo's clean-up
    // sends SIGTERM, Ctrl+C SIGINT: both end it normally, taking the link away.
    void demoPrinterThenOptions()
    {
        const QString logPath = folder_.filePath(QStringLiteral("printer.log"));
        for (const QString& options :
             {"--model 0x51 --log " + logPath,
              QString("--code Printer005 --model-name ZX-Q1 --other-model 42h --delay 200")}) {
            const bool demo = options.contains(logPath);
            QProcess sim;
            SimTest::HostTerminal host;
            sim.start(kBinary,
                      ("--link-dir " + folder_.path() + " --name COM16 " + options).split(' '));
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link_).isSymLink(), kGenerousMs);
            const QString pts = QFileInfo(link_).symLinkTarget();
            QVERIFY2(pts.startsWith(u"/dev/pts/") && host.open(link_), qPrintable(pts));
            QVERIFY(host.write(kGsI1));
            QVERIFY(demo || host.readFor(100).isEmpty()); // late, and another model
            QCOMPARE(host.read(1, kGenerousMs), QByteArray(demo ? "\x51" : "\x42"));
            QVERIFY(demo ||
                    (host.write("\x1DID\x1DIC") &&
                     host.read(19, kGenerousMs) == QByteArray("_Printer005\0_ZX-Q1\0", 19)));
            ::kill(static_cast<pid_t>(sim.processId()), demo ? SIGTERM : SIGINT);
            QVERIFY(sim.waitForFinished(kGenerousMs) && sim.exitStatus() == QProcess::NormalExit);
            QVERIFY(sim.exitCode() == 0 && !QFileInfo(link_).isSymLink());
            const QString output = QString::fromUtf8(sim.readAllStandardOutput());
            const QString log = demo ? QString::fromUtf8(TestSupport::ReadFile(logPath)) : output;
            QVERIFY2(output.startsWith(pts + "\nlinked " + link_ + '\n') &&
                         log.contains(u" GS I 1  [1D 49 01]\n") &&
                         log.contains(demo ? u" -> 51\n" : u" -> 42\n"),
                     qPrintable(output + log));
        }
    }

    // Bad values end it at once; so does a file of the link's name in the
    // operator's data folder, which it never replaces.
    void refusedOrHelp_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("model too big") << "--model 0x151" << 2 << "--model";
        QTest::newRow("code too long") << "--code Printer0001" << 2 << "--code";
        QTest::newRow("name with slash") << "--name ../COM1" << 2 << "--name";
        QTest::newRow("operator's file")
            << "--link-dir " + folder_.path() + " --name COM3" << 1 << "not a symbolic link";
        QTest::newRow("help") << "--help" << 0 << "--vanish-after";
    }
    void refusedOrHelp()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, says);
        const QString operatorsFile = folder_.filePath(QStringLiteral("COM3"));
        QVERIFY(TestSupport::WriteFile(operatorsFile, "operator's file"));
        QProcess sim;
        sim.start(kBinary, arguments.split(' '));
        QVERIFY(sim.waitForFinished(kGenerousMs));
        QTEST(sim.exitCode(), "exitCode");
        const QString output =
            QString::fromUtf8(sim.readAllStandardOutput() + sim.readAllStandardError());
        QVERIFY2(output.contains(says), qPrintable(output));
        QCOMPARE(TestSupport::ReadFile(operatorsFile), QByteArray("operator's file"));
    }
};

QTEST_GUILESS_MAIN(TstSimPrinter)
#include "tst_simprinter.moc"
