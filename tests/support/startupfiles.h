#pragma once
// Helpers for tests of the start-up files: a throw-away data folder and
// fixture access.

#include "capturedmessages.h"
#include "common/appsettings.h"
#include "settingsrecord.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace TestSupport {

// A fresh temporary DataFolder with every global at its start-up value;
// everything it held is gone when it goes.
class ScopedDataFolder {
public:
    ScopedDataFolder()
    {
        Common::AppSettings = Common::AppSettingsRecord{};
        Common::ModelList = Common::ModelListRecord{};
        Common::ErrorFlag = true;
        Common::DialogCancelled = false;
        Common::SplashMode = false;
        previous_ = Common::DataFolder;
        Common::DataFolder = dir_.path();
    }
    ~ScopedDataFolder() { Common::DataFolder = previous_; }
    ScopedDataFolder(const ScopedDataFolder&) = delete;
    ScopedDataFolder& operator=(const ScopedDataFolder&) = delete;

    QString path(const QString& name) const { return dir_.filePath(name); }
    bool write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    QByteArray read(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool copyFixture(const QString& fixture, const QString& name) const;
    // The files in the folder: shows a temporary file left beside the real one.
    QStringList files() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

inline QString FixturePath(const QString& name)
{
    return QStringLiteral(ZENTAB_TEST_FIXTURES "/") + name;
}

inline QByteArray ReadFixture(const QString& name)
{
    QFile file(FixturePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool ScopedDataFolder::copyFixture(const QString& fixture, const QString& name) const
{
    return QFile::copy(FixturePath(fixture), path(name));
}

} // namespace TestSupport
