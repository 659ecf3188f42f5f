#pragma once
// Helpers for tests of the start-up files: a throw-away data folder, a log of
// the message boxes that would have been shown, and fixture access.

#include "app/msgbox.h"
#include "settings/appsettings.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

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

// Every field of the record, one "name=value" per line, so that a
// comparison of two records names the fields that differ.
inline QString Describe(const Common::AppSettingsRecord& s)
{
    QStringList f;
    auto add = [&f](const char* name, const QVariant& value) {
        f << QLatin1String(name) + QLatin1Char('=') + value.toString();
    };
    add("Interface", s.Interface);
    add("ActiveInterface", s.ActiveInterface);
    add("COMPort", s.COMPort);
    add("COMBaud", s.COMBaud);
    add("COMBits", s.COMBits);
    add("COMParity", s.COMParity);
    add("COMStop", s.COMStop);
    add("COMFlow", s.COMFlow);
    add("LPTPort", s.LPTPort);
    add("LPTAddress", s.LPTAddress);
    add("USBPort", s.USBPort);
    add("LANIPOctets", QStringLiteral("%1,%2,%3,%4")
                           .arg(s.LANIPOctets[0])
                           .arg(s.LANIPOctets[1])
                           .arg(s.LANIPOctets[2])
                           .arg(s.LANIPOctets[3]));
    add("LANIP", s.LANIP);
    add("LANPort", s.LANPort);
    add("WinDevice", s.WinDevice);
    add("WinPort", s.WinPort);
    add("WinPrinterCount", s.WinPrinterCount);
    add("PortOpen", s.PortOpen);
    add("TwoWayLink", s.TwoWayLink);
    add("SerialNo", s.SerialNo);
    add("SNoLength", s.SNoLength);
    add("SNoNumCol", s.SNoNumCol);
    add("SNoNumLen", s.SNoNumLen);
    add("SNoAlign", s.SNoAlign);
    add("SNoSpcChar", s.SNoSpcChar);
    add("AutoInc", s.AutoInc);
    add("StartNum", s.StartNum);
    add("ModelName", s.ModelName);
    return f.join(QLatin1Char('\n'));
}

// One field of the record as Describe() shows it; a null string for a name
// that is not a field.
inline QString Field(const Common::AppSettingsRecord& s, const QString& name)
{
    const QString prefix = name + QLatin1Char('=');
    for (const QString& line : Describe(s).split(QLatin1Char('\n'))) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    }
    return QString();
}

// Collects (title, text) of every message box while it lives.
class MessageLog {
public:
    MessageLog()
    {
        previous_ = Common::SetMsgBoxHandler([this](const QString& title, const QString& text) {
            entries.append({title, text});
        });
    }
    ~MessageLog() { Common::SetMsgBoxHandler(std::move(previous_)); }
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    QList<QPair<QString, QString>> entries;

private:
    Common::MsgBoxHandler previous_;
};

} // namespace TestSupport
