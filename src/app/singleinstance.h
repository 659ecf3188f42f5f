#pragma once
// One running instance per user. The running instance holds a lock file in
// the user's runtime folder; a lock whose process has gone (a crash, a kill)
// is taken over.

#include <QLockFile>
#include <QString>

namespace Common {

class InstanceLock {
public:
    explicit InstanceLock(const QString& folder);
    // False when a running instance holds the lock (only then).
    bool tryAcquire();
    QString fileName() const { return fileName_; }

private:
    QString fileName_;
    QLockFile lock_;
};

// The user's runtime folder (XDG_RUNTIME_DIR), else the temporary folder.
QString DefaultInstanceLockFolder();

// Takes this process's lock in folder and keeps it until the process ends
// (or ReleaseSingleInstance). True if this process holds it, also when it
// already did.
bool ClaimSingleInstance(const QString& folder = DefaultInstanceLockFolder());
void ReleaseSingleInstance();

} // namespace Common
