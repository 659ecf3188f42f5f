#include "app/singleinstance.h"

#include "app/frmmain.h"
#include "common/termsignals.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <memory>

namespace Common {

namespace {

std::unique_ptr<InstanceLock>& HeldLock()
{
    static std::unique_ptr<InstanceLock> lock;
    return lock;
}

} // namespace

InstanceLock::InstanceLock(const QString& folder)
    : fileName_(QDir(folder).filePath(QStringLiteral("zentab.lock"))), lock_(fileName_)
{
    // Only a dead owner makes the lock stale: an instance may run for days.
    lock_.setStaleLockTime(0);
}

bool InstanceLock::tryAcquire()
{
    if (lock_.isLocked() || lock_.tryLock(0))
        return true;
    // A folder where no lock file can be made says nothing about another
    // instance, and must not keep the program from starting.
    return lock_.error() != QLockFile::LockFailedError;
}

QString DefaultInstanceLockFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

bool ClaimSingleInstance(const QString& folder)
{
    auto& held = HeldLock();
    if (held)
        return true;
    auto lock = std::make_unique<InstanceLock>(folder);
    if (!lock->tryAcquire())
        return false;
    held = std::move(lock);
    return true;
}

void ReleaseSingleInstance()
{
    HeldLock().reset();
}

} // namespace Common

int RunZentab(QApplication& app)
{
    FrmMain form;
    form.setObjectName(QStringLiteral("FrmMain"));
    // Taken over before the instance lock, so that a process holding the
    // lock always ends in order; served once the event loop runs.
    Common::TerminationSignals terminations;
    QObject::connect(&terminations, &Common::TerminationSignals::received, &form,
                     [&form] { Common::CloseWhenIdle(form); });
    form.Form_Load();
    if (form.AnotherInstanceRunning())
        return 0; // ends before the window is ever shown
    form.show();
    const int result = app.exec();
    form.Form_Unload(); // if the loop ended other than by closing the window
    return result;
}
