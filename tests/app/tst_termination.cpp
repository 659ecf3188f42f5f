// A shutdown, a logout or Ctrl+C ends the program as File > Exit does: the
// settings file is written with the code reached. Real program processes
// get the signals; the in-process cases check what holds the close back.

#include "common/appsettings.h"
#include "common/termsignals.h"

#include <QDialog>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <csignal>

using namespace Common;

namespace {

const int ProcessTimeoutMs = 60000; // a loaded machine starts slowly
const QByteArray OldHeader = "Zentab    01.Jan.20  00:00";

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestTermination : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { WaitPending = false; }

    void signalEndsTheProgramInOrder_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<int>("afterMs"); // after the lock; the start-up takes 4400 ms
        QTest::newRow("SIGTERM during the start-up") << int(SIGTERM) << 1000;
        QTest::newRow("SIGHUP at the ready window") << int(SIGHUP) << 6000;
        QTest::newRow("SIGINT at the ready window") << int(SIGINT) << 6000;
    }
    void signalEndsTheProgramInOrder()
    {
        QFETCH(int, signalNumber);
        QFETCH(int, afterMs);
        QTemporaryDir runtime;
        QTemporaryDir data;
        QVERIFY(runtime.isValid() && data.isValid());
        const QString ini = data.filePath(QStringLiteral("Zentab.ini"));
        QVERIFY(WriteFile(data.filePath(QStringLiteral("Models.Dat")), "Zentab\r\n35ZX-P700\r\n"));
        QVERIFY(WriteFile(ini, OldHeader + "\r\nModelName = ZX-P700\r\nInterface = Parallel\r\n"
                                           "SerialNo = Printer007\r\nStartNum = 7\r\n"));

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(data.path());
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(ZENTAB_APP_BINARY), {});
        QVERIFY(program.waitForStarted(ProcessTimeoutMs));
        // The lock is taken once the program serves the signals.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.filePath(QStringLiteral("zentab.lock"))),
                                 ProcessTimeoutMs);
        QTest::qWait(afterMs);
        QCOMPARE(program.state(), QProcess::Running);
        QCOMPARE(::kill(static_cast<pid_t>(program.processId()), signalNumber), 0);

        QVERIFY(program.waitForFinished(ProcessTimeoutMs));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        const QByteArray written = ReadFile(ini);
        QVERIFY2(!written.startsWith(OldHeader), written.constData()); // written at exit
        QVERIFY(written.startsWith("Zentab "));
        QVERIFY2(written.contains("SerialNo = Printer007\r\n"), written.constData());
    }

    void aModalDialogIsClosedFirst()
    {
        QWidget window;
        window.show();
        QDialog dialog(&window);
        dialog.setModal(true);
        QTimer::singleShot(0, &window, [&window] { CloseWhenIdle(window); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected)); // returns: it was closed
        QTRY_VERIFY(!window.isVisible());
    }

    void aWaitingOperationIsLetFinish()
    {
        QWidget window;
        window.show();
        WaitPending = true;
        CloseWhenIdle(window);
        QTest::qWait(300);
        QVERIFY(window.isVisible());
        CloseWhenIdle(window); // a second signal changes nothing
        WaitPending = false;
        QTRY_VERIFY(!window.isVisible());
    }

    void aDisabledWindowIsLetFinish()
    {
        QWidget window;
        window.show();
        window.setEnabled(false); // an operation or the start-up is running
        CloseWhenIdle(window);
        QTest::qWait(300);
        QVERIFY(window.isVisible());
        window.setEnabled(true);
        QTRY_VERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestTermination)
#include "tst_termination.moc"
