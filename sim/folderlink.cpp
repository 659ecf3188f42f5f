#include "folderlink.h"

#include <QFile>
#include <QFileInfo>

namespace Sim {

bool FolderLink::create(const QString& target, const QString& linkPath, QString* error)
{
    remove();
    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) {
        QFile::remove(linkPath);
    } else if (existing.exists()) {
        if (error)
            *error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
        return false;
    }
    if (!QFile::link(target, linkPath)) {
        if (error)
            *error = QStringLiteral("cannot link %1 to %2").arg(linkPath, target);
        return false;
    }
    path_ = linkPath;
    target_ = target;
    return true;
}

void FolderLink::remove()
{
    if (path_.isEmpty())
        return;
    const QFileInfo info(path_);
    if (info.isSymLink() && info.symLinkTarget() == QFileInfo(target_).absoluteFilePath())
        QFile::remove(path_);
    path_.clear();
    target_.clear();
}

} // namespace Sim
