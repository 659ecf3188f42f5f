// The command line of the real program: --help and --version answer on the
// terminal without a window system, an unknown option is refused.

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const int ProcessTimeoutMs = 60000; // a loaded machine starts slowly

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program with no display of any kind: it would abort if it needed
// one.
Outcome Run(const QStringList& arguments)
{
    QTemporaryDir folder;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.path());
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder.path());
    program.start(QStringLiteral(ZENTAB_APP_BINARY), arguments);
    Outcome outcome;
    if (!program.waitForFinished(ProcessTimeoutMs)) {
        program.kill();
        program.waitForFinished();
        return outcome;
    }
    if (program.exitStatus() == QProcess::NormalExit)
        outcome.exitCode = program.exitCode();
    outcome.out = program.readAllStandardOutput();
    outcome.err = program.readAllStandardError();
    return outcome;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void versionIsPrinted_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("--version") << QStringList{QStringLiteral("--version")};
        QTest::newRow("-v") << QStringList{QStringLiteral("-v")};
        // Qt's own options stay accepted beside it.
        QTest::newRow("with -style") << QStringList{
            QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("--version")};
    }
    void versionIsPrinted()
    {
        QFETCH(QStringList, arguments);
        const Outcome outcome = Run(arguments);
        QCOMPARE(outcome.exitCode, 0);
        const QString expected = QStringLiteral("zentab %1.%2.%3\n")
                                     .arg(ZENTAB_VERSION_MAJOR)
                                     .arg(ZENTAB_VERSION_MINOR)
                                     .arg(ZENTAB_VERSION_PATCH);
        QCOMPARE(QString::fromUtf8(outcome.out), expected);
        QVERIFY2(outcome.err.isEmpty(), outcome.err.constData());
    }

    void helpListsTheOptions()
    {
        const Outcome outcome = Run({QStringLiteral("--help")});
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY2(outcome.out.contains("--help") && outcome.out.contains("--version"),
                 outcome.out.constData());
        QVERIFY2(outcome.err.isEmpty(), outcome.err.constData());
    }

    void unknownOptionIsRefused()
    {
        const Outcome outcome = Run({QStringLiteral("--no-such-option")});
        QCOMPARE(outcome.exitCode, 2);
        QVERIFY(outcome.out.isEmpty());
        QVERIFY2(outcome.err.contains("no-such-option") && outcome.err.contains("--help"),
                 outcome.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
