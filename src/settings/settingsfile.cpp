// The settings file on disk: finding it, reading it into AppSettings and
// replacing it at exit.

#include "settings/settingsfile.h"

#include "common/msgbox.h"
#include "common/unixfd.h"

#include <QFileInfo>
#include <QSaveFile>
#include <fcntl.h>
#include <unistd.h>

namespace Common {

namespace {

std::function<QDateTime()>& Clock()
{
    static std::function<QDateTime()> clock;
    return clock;
}

QDateTime Now()
{
    return Clock() ? Clock()() : QDateTime::currentDateTime();
}

// The commit has the new file's content on disk; the rename that put it in
// place is on disk only once its folder is. Until then a power cut could bring
// back the file before, with a code that printers already carry. File systems
// that cannot sync a folder have nothing to add.
void SyncFolder(const QString& folder)
{
    const UniqueFd fd(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

// Writes the whole content to a new file beside the old one and renames it
// over the old one only when everything is on disk: a full disk, a crash or a
// power cut part-way leaves the previous settings whole.
//
// Unbuffered on purpose: QSaveFile (Qt 6.4) still commits when the flush of
// its write buffer fails at close, which would put a cut-off file in place of
// the old one. Unbuffered writes report every shortfall here, where the new
// file can still be thrown away.
bool ReplaceFile(const QString& path, const QByteArray& content, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = file.errorString();
        return false;
    }
    qint64 written = 0;
    while (written < content.size()) {
        // A short write is retried so that the next one names the reason.
        const qint64 n = file.write(content.constData() + written, content.size() - written);
        if (n <= 0) {
            *error = file.errorString();
            file.cancelWriting();
            return false;
        }
        written += n;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    SyncFolder(QFileInfo(path).absolutePath());
    return true;
}

} // namespace

LoadResult LoadSettings()
{
    const QString path = DataFilePath(SettingsFileName);
    QByteArray bytes;
    LoadResult result = ReadDataFile(path, &bytes);
    if (result.status != LoadStatus::Done)
        return result;
    result = ParseSettings(bytes, AppSettings);
    if (result.status == LoadStatus::Failed)
        result.description = DescribeFailure(path, result.description);
    return result;
}

bool CheckSettingsFile()
{
    return QFileInfo::exists(DataFilePath(SettingsFileName));
}

std::optional<QString> WriteSettingsFile(const QString& codeBoxText)
{
    const QString path = DataFilePath(SettingsFileName);
    QString error;
    if (ReplaceFile(path, FormatSettings(AppSettings, codeBoxText, Now()), &error))
        return std::nullopt;
    return DescribeFailure(path, error);
}

bool SaveSettings(const QString& codeBoxText)
{
    const std::optional<QString> failure = WriteSettingsFile(codeBoxText);
    // The operator would otherwise lose the session's settings unknowingly.
    if (failure)
        MsgBox(*failure, QStringLiteral("ERROR!"));
    return !failure;
}

void SetSettingsClockForTests(std::function<QDateTime()> clock)
{
    Clock() = std::move(clock);
}

} // namespace Common
