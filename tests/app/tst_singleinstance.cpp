// One instance at a time: the lock between this process and others, and two
// real program processes started side by side.

#include "app/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Common;

namespace {

const int ProcessTimeoutMs = 60000; // a loaded machine starts slowly

// The process id a lock file names (its first line).
qint64 LockOwner(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readLine().trimmed().toLongLong();
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

    QTemporaryDir runtime_;
    QTemporaryDir data_;
    std::vector<std::unique_ptr<QProcess>> processes_;

    QProcess& startProgram()
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(data_.path());
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral(ZENTAB_APP_BINARY), {});
        processes_.push_back(std::move(process));
        return *processes_.back();
    }

    QString lockFile() const
    {
        return QDir(runtime_.path()).filePath(QStringLiteral("zentab.lock"));
    }

private Q_SLOTS:
    void cleanup()
    {
        for (auto& process : processes_) {
            process->kill();
            process->waitForFinished(ProcessTimeoutMs);
        }
        processes_.clear();
    }

    void oneHolderAtATime()
    {
        QTemporaryDir folder;
        auto first = std::make_unique<InstanceLock>(folder.path());
        QVERIFY(first->tryAcquire());
        QVERIFY(first->tryAcquire()); // holding it already
        InstanceLock second(folder.path());
        QVERIFY(!second.tryAcquire());
        first.reset();
        QVERIFY(second.tryAcquire());
    }

    void aFolderWithoutLocksDoesNotStopTheProgram()
    {
        QTemporaryDir folder;
        InstanceLock lock(QDir(folder.path()).filePath(QStringLiteral("missing/deeper")));
        QVERIFY(lock.tryAcquire());
    }

    void secondProgramEndsAtOnce()
    {
        QVERIFY(runtime_.isValid() && data_.isValid());
        QProcess& first = startProgram();
        QVERIFY(first.waitForStarted(ProcessTimeoutMs));
        QTRY_COMPARE_WITH_TIMEOUT(LockOwner(lockFile()), first.processId(), ProcessTimeoutMs);

        QProcess& second = startProgram();
        QVERIFY(second.waitForFinished(ProcessTimeoutMs));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(LockOwner(lockFile()), first.processId());
        QCOMPARE(Entries(data_.path()), QStringList{}); // nothing written
        QCOMPARE(Entries(runtime_.path()), QStringList{QStringLiteral("zentab.lock")});

        // A crash leaves the lock file behind; the next start takes it over.
        first.kill();
        QVERIFY(first.waitForFinished(ProcessTimeoutMs));
        QVERIFY(QFile::exists(lockFile()));
        QProcess& third = startProgram();
        QVERIFY(third.waitForStarted(ProcessTimeoutMs));
        QTRY_COMPARE_WITH_TIMEOUT(LockOwner(lockFile()), third.processId(), ProcessTimeoutMs);
        QCOMPARE(third.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
