#include "link/linkfailure.h"

#include "common/appsettings.h"
#include "common/msgbox.h"
#include "common/pointer.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Common {

namespace {

// The operation goes on afterwards: MsgBox puts its hourglass back.
void ReportWhileBusy(const QString& description, const QString& title)
{
    MsgBox(description, title);
    DoEvents();
    ErrorFlag = true;
}

QString GroupName(gid_t gid)
{
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    while (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE)
        buffer.resize(buffer.size() * 2);
    return found ? QString::fromLocal8Bit(found->gr_name) : QString::number(gid);
}

} // namespace

void ReportPortFailure(const QString& description)
{
    MsgBox(description, QStringLiteral("Port ERROR!"));
    ErrorFlag = true;
}

void ReportPrintFailure(const QString& description)
{
    ReportWhileBusy(description, QStringLiteral("Print ERROR!"));
}

void ReportReceiveFailure(const QString& description)
{
    ReportWhileBusy(description, QStringLiteral("Receive ERROR!"));
}

QString DeviceErrorText(int error, const QString& devicePath)
{
    // A data-folder entry such as COM16 names the device it links to.
    const QString device = QFileInfo(devicePath).canonicalFilePath();
    QString text = QString::fromLocal8Bit(std::strerror(error)) + QStringLiteral(": ") +
                   (device.isEmpty() ? devicePath : device);
    struct stat info {};
    if ((error == EACCES || error == EPERM) && ::stat(QFile::encodeName(devicePath), &info) == 0)
        text += QStringLiteral(" belongs to group ") + GroupName(info.st_gid);
    return text;
}

std::optional<QString> PermissionProblem(const QString& devicePath, bool writeOnly)
{
    const int mode = writeOnly ? W_OK : (R_OK | W_OK);
    if (::access(QFile::encodeName(devicePath), mode) == 0 || errno != EACCES)
        return std::nullopt;
    return DeviceErrorText(EACCES, devicePath);
}

} // namespace Common
