// A shutdown, a logout or Ctrl+C ends the program as File > Exit does: the
// settings file is written with the code reached. Real program processes
// get the signals; the in-process cases check what holds the close back.

#include "common/appsettings.h"
#include "common/termsignals.h"

#include "files.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <array>
#include <csignal>

using namespace Common;

using TestSupport::ReadFile;
using TestSupport::WriteFile;

namespace {

const int ProcessTimeoutMs = 60000; // a loaded machine starts slowly
const QByteArray OldHeader = "Zentab    01.Jan.20  00:00";

} // namespace

class TestTermination : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { WaitPending = false; }

    // Three programs at once, each in folders of its own: SIGTERM during the
    // start-up (which takes 4 s), SIGHUP and SIGINT at the ready window.
    void signalEndsTheProgramInOrder()
    {
        struct Case {
            Case(int s, int after) : signalNumber(s), afterMs(after) {}
            int signalNumber;
            int afterMs; // after the lock
            QTemporaryDir runtime;
            QTemporaryDir data;
            QProcess program;
        };
        std::array<Case, 3> cases{{{SIGTERM, 1000}, {SIGHUP, 6000}, {SIGINT, 6000}}};
        for (Case& c : cases) {
            QVERIFY(c.runtime.isValid() && c.data.isValid());
            QVERIFY(WriteFile(c.data.filePath(QStringLiteral("Models.Dat")),
                              "Zentab\r\n35ZX-P700\r\n"));
            QVERIFY(WriteFile(c.data.filePath(QStringLiteral("Zentab.ini")),
                              OldHeader + "\r\nModelName = ZX-P700\r\nInterface = Parallel\r\n"
                                          "SerialNo = Printer007\r\nStartNum = 7\r\n"));
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), c.runtime.path());
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            c.program.setProcessEnvironment(env);
            c.program.setWorkingDirectory(c.data.path());
            c.program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            c.program.start(QStringLiteral(ZENTAB_APP_BINARY), {});
            QVERIFY(c.program.waitForStarted(ProcessTimeoutMs));
        }
        // The lock is taken once the program serves the signals.
        for (Case& c : cases) {
            QTRY_VERIFY_WITH_TIMEOUT(
                QFile::exists(c.runtime.filePath(QStringLiteral("zentab.lock"))), ProcessTimeoutMs);
        }
        QElapsedTimer clock;
        clock.start();
        for (Case& c : cases) {
            QTest::qWait(std::max<int>(0, c.afterMs - int(clock.elapsed())));
            QCOMPARE(c.program.state(), QProcess::Running);
            QCOMPARE(::kill(static_cast<pid_t>(c.program.processId()), c.signalNumber), 0);
        }
        for (Case& c : cases) {
            const QByteArray name = QByteArray::number(c.signalNumber);
            QVERIFY2(c.program.state() == QProcess::NotRunning ||
                         c.program.waitForFinished(ProcessTimeoutMs),
                     name);
            QCOMPARE(c.program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(c.program.exitCode(), 0);
            const QByteArray written = ReadFile(c.data.filePath(QStringLiteral("Zentab.ini")));
            QVERIFY2(!written.startsWith(OldHeader), name + ": " + written); // written at exit
            QVERIFY(written.startsWith("Zentab "));
            QVERIFY2(written.contains("SerialNo = Printer007\r\n"), written.constData());
        }
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
