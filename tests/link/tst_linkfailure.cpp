// How link failures read: the system's words with the device, the owning
// group when permission is what is missing (seen by an unprivileged user,
// since root is never refused), and the pointer around the message boxes.

#include "capturedmessages.h"
#include "common/appsettings.h"
#include "common/pointer.h"
#include "link/link.h"
#include "link/linkfailure.h"
#include "link/serialcontrol.h"
#include "pseudoterminal.h"
#include "unprivileged.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Common;

using Report = void (*)(const QString&);
Q_DECLARE_METATYPE(Report)

class TestLinkFailure : public QObject {
    Q_OBJECT
private:
    QTemporaryDir folder;
    // A device-like file only root and the group may use.
    QString groupOnlyFile(const char* group)
    {
        const QString path = folder.filePath(QString::fromLatin1(group));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.close();
        const ::group* entry = ::getgrnam(group);
        const QByteArray native = QFile::encodeName(path);
        if (!entry || ::chown(native.constData(), 0, entry->gr_gid) != 0 ||
            ::chmod(native.constData(), 0660) != 0)
            return {};
        return path;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        // The unprivileged user must reach the files inside.
        QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ReadOther |
                                                         QFile::ExeOther));
    }

    void permissionNamesTheGroup()
    {
        const QString device = groupOnlyFile("dialout");
        QVERIFY(!device.isEmpty());
        QCOMPARE(DeviceErrorText(EACCES, device),
                 QStringLiteral("Permission denied: %1 belongs to group dialout").arg(device));
        QVERIFY(!PermissionProblem(device)); // root may open it
    }

    void permissionProblemAsAnUnprivilegedUser()
    {
        const QString device = groupOnlyFile("lp");
        QVERIFY(!device.isEmpty());
        const QString expected =
            QStringLiteral("Permission denied: %1 belongs to group lp").arg(device);
        const int result = RunUnprivileged([&] {
            const std::optional<QString> problem = PermissionProblem(device, true);
            return problem && *problem == expected ? 0 : 1;
        });
        QCOMPARE(result, 0);
    }

    void serialControlRefusedForPermission()
    {
        PseudoTerminal printer;
        QVERIFY(printer.isOpen());
        const QByteArray slave = QFile::encodeName(printer.slavePath());
        QCOMPARE(::chmod(slave.constData(), 0600),
                 0); // as a tty of group tty without the group bits
        struct stat info {};
        QCOMPARE(::stat(slave.constData(), &info), 0);
        const QString link = folder.filePath(QStringLiteral("COM41"));
        QVERIFY(QFile::link(printer.slavePath(), link));
        DataFolder = folder.path();
        const ::group* owner = ::getgrgid(info.st_gid);
        QVERIFY(owner);
        // The data folder's entry is shown as the device it stands for.
        const QString expected =
            QStringLiteral("Permission denied: %1 belongs to group %2")
                .arg(printer.slavePath(), QString::fromLocal8Bit(owner->gr_name));
        QCOMPARE(DeviceErrorText(EACCES, link), expected);
        const int result = RunUnprivileged([&] {
            std::unique_ptr<SerialControl> control = MakeQtSerialControl();
            control->setCommPort(41);
            if (control->open())
                return 2;
            return control->errorString() == expected ? 0 : 1;
        });
        DataFolder.clear();
        QFile::remove(link);
        QCOMPARE(result, 0);
    }

    // The titles and texts are the serial link's tests' business. Every box
    // is shown under the arrow, and the operation's hourglass comes back.
    void pointerAroundTheBoxes_data()
    {
        QTest::addColumn<Report>("report");
        QTest::newRow("port") << &ReportPortFailure;
        QTest::newRow("print") << &ReportPrintFailure;
        QTest::newRow("receive") << &ReportReceiveFailure;
    }

    void pointerAroundTheBoxes()
    {
        QFETCH(Report, report);
        SetPointer(Pointer::Hourglass);
        ErrorFlag = false;
        std::optional<Pointer> during;
        const MsgBoxHandler previous =
            SetMsgBoxHandler([&](const QString&, const QString&) { during = CurrentPointer(); });
        report(QStringLiteral("what the system said"));
        SetMsgBoxHandler(previous);
        QVERIFY(during.has_value());
        QCOMPARE(*during, Pointer::Default);
        QCOMPARE(CurrentPointer(), Pointer::Hourglass);
        QVERIFY(ErrorFlag);
        SetPointer(Pointer::Default);
    }
};

QTEST_MAIN(TestLinkFailure)
#include "tst_linkfailure.moc"
