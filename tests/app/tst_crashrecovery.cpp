// A program killed outright (power cut, SIGKILL, the OOM killer) must not
// offer again a code that printers already carry. The real program writes
// codes into the simulated printer on a virtual COM port, driven by key
// presses on an X server of its own, and is killed; the program started
// again must write the next code, not one written before.

#include "files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using TestSupport::ReadFile;
using TestSupport::WriteFile;

namespace {

constexpr int kTimeoutMs = 30000; // a loaded machine starts slowly
const QString kTitle = QStringLiteral("^Identification of Talvik Printers$");

// The codes the printer's log says it stored, in order.
QStringList StoredCodes(const QByteArray& log)
{
    static const QRegularExpression stored(
        QStringLiteral(R"(\[1D 28 45 0B 00 F0 ((?:[0-9A-F]{2} ?){10})\] \(stored\))"));
    QStringList codes;
    for (auto it = stored.globalMatch(QString::fromLatin1(log)); it.hasNext();)
        codes << QString::fromLatin1(
            QByteArray::fromHex(it.next().captured(1).remove(QLatin1Char(' ')).toLatin1()));
    return codes;
}

void Stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(kTimeoutMs);
}

} // namespace

class TestCrashRecovery : public QObject {
    Q_OBJECT

    QTemporaryDir runtime_;
    QTemporaryDir data_;
    QProcessEnvironment env_ = QProcessEnvironment::systemEnvironment();
    QProcess xvfb_;
    QProcess sim_;
    std::unique_ptr<QProcess> program_;
    QString window_;

    QString path(const char* name) const { return data_.filePath(QString::fromLatin1(name)); }
    QStringList stored() const { return StoredCodes(ReadFile(path("printer.log"))); }

    // xdotool on our display; its output, trimmed.
    QString xdotool(const QStringList& args)
    {
        QProcess tool;
        tool.setProcessEnvironment(env_);
        tool.start(QStringLiteral("xdotool"), args);
        if (!tool.waitForFinished(kTimeoutMs) || tool.exitCode() != 0)
            return {};
        return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
    }

    // An X server on a display number nobody uses.
    bool startDisplay()
    {
        for (int n = 140; n < 200; ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            const QString display = QStringLiteral(":%1").arg(n);
            xvfb_.start(QStringLiteral("Xvfb"),
                        {display, QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                         QStringLiteral("-screen"), QStringLiteral("0"),
                         QStringLiteral("1024x768x24")});
            env_.insert(QStringLiteral("DISPLAY"), display);
            return QTest::qWaitFor(
                [this] {
                    return xvfb_.state() == QProcess::Running &&
                           !xdotool({QStringLiteral("getdisplaygeometry")}).isEmpty();
                },
                kTimeoutMs);
        }
        return false;
    }

    void startProgram()
    {
        program_ = std::make_unique<QProcess>();
        program_->setProcessEnvironment(env_);
        program_->setWorkingDirectory(data_.path());
        program_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program_->start(QStringLiteral(ZENTAB_APP_BINARY), {});
        QVERIFY(program_->waitForStarted(kTimeoutMs));
        window_ = xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                           QStringLiteral("--onlyvisible"), QStringLiteral("--name"), kTitle})
                      .section(QLatin1Char('\n'), 0, 0);
        QVERIFY(!window_.isEmpty());
    }

    void pressEnter()
    {
        // No window manager runs here: the window gets the keyboard directly.
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window_});
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    }

    // Presses Enter until the program, once past its start-up, writes a code
    // (a press while the window is still disabled goes nowhere).
    void writeFirstCode(int storedBefore)
    {
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (stored().size() > storedBefore)
                    return true;
                pressEnter();
                QTest::qWait(250);
                return false;
            },
            kTimeoutMs));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            QFAIL("needs Xvfb and xdotool (scripts/install-deps installs them)");
        QVERIFY(runtime_.isValid() && data_.isValid());
        env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        QVERIFY(startDisplay());
        QVERIFY(WriteFile(path("Models.Dat"), "Zentab\r\n35ZX-P700\r\n"));
        QVERIFY(WriteFile(path("Zentab.ini"),
                          "Zentab    06.Dec.26  09:00\r\nModelName = ZX-P700\r\n"
                          "Interface = VirtualCOM\r\nCOMPort =  16\r\nSerialNo = Printer001\r\n"));
        sim_.start(QStringLiteral(ZENTAB_SIM_BINARY),
                   {QStringLiteral("--link-dir"), data_.path(), QStringLiteral("--name"),
                    QStringLiteral("COM16"), QStringLiteral("--log"), path("printer.log")});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path("COM16")), kTimeoutMs);
    }
    void cleanupTestCase()
    {
        if (program_)
            Stop(*program_);
        sim_.terminate();
        sim_.waitForFinished(kTimeoutMs);
        Stop(xvfb_);
    }

    void killedAfterWritesOffersTheNextCode()
    {
        startProgram();
        writeFirstCode(0);
        // Each code written is saved before the window takes the next press.
        for (int n = 2; n <= 3; ++n) {
            const QByteArray next = QStringLiteral("SerialNo = Printer%1\r\n")
                                        .arg(n, 3, 10, QLatin1Char('0'))
                                        .toLatin1();
            QTRY_VERIFY_WITH_TIMEOUT(ReadFile(path("Zentab.ini")).contains(next), kTimeoutMs);
            pressEnter();
        }
        QTRY_VERIFY_WITH_TIMEOUT(ReadFile(path("Zentab.ini")).contains("SerialNo = Printer004"),
                                 kTimeoutMs);
        QCOMPARE(stored(), (QStringList{"Printer001", "Printer002", "Printer003"}));

        program_->kill(); // no exit handler runs
        QVERIFY(program_->waitForFinished(kTimeoutMs));
        QCOMPARE(program_->exitStatus(), QProcess::CrashExit);

        startProgram();
        writeFirstCode(3);
        QCOMPARE(stored(), (QStringList{"Printer001", "Printer002", "Printer003", "Printer004"}));
    }
};

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
