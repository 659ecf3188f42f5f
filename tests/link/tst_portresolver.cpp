// Port names to device paths, and the data folder's entries that override them.

#include "common/appsettings.h"
#include "link/portresolver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Common;

class TestPortResolver : public QObject {
    Q_OBJECT

    QTemporaryDir data_;

private Q_SLOTS:
    void init() { DataFolder = data_.path(); }

    void defaultDevices_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("device");
        const auto row = [](const char* port, const char* device) {
            QTest::newRow(*port ? port : "empty")
                << QString::fromLatin1(port) << QString::fromLatin1(device);
        };
        row("COM1", "/dev/ttyS0");
        row("LPT2", "/dev/parport1");
        row("USB015", "/dev/usb/lp14");
        for (const char* unknown : {"COM0", "COM", "COM1000", "com1", "../COM1", ""})
            row(unknown, "");
    }
    void defaultDevices()
    {
        QFETCH(QString, port);
        QFETCH(QString, device);
        QCOMPARE(ResolvePortDevice(port), device);
    }

    void dataFolderLinkOverrides()
    {
        const QString link = QDir(data_.path()).filePath(QStringLiteral("COM16"));
        QVERIFY(QFile::link(QStringLiteral("/dev/ttyACM0"), link)); // dangling here is fine
        QCOMPARE(ResolvePortDevice(QStringLiteral("COM16")), link);
        QCOMPARE(ResolvePortDevice(QStringLiteral("COM17")), QStringLiteral("/dev/ttyS16"));
        // A name of no known form can still be given a device this way.
        QVERIFY(QFile::link(QStringLiteral("/dev/null"),
                            QDir(data_.path()).filePath(QStringLiteral("PRN"))));
        QCOMPARE(ResolvePortDevice(QStringLiteral("PRN")),
                 QDir(data_.path()).filePath(QStringLiteral("PRN")));
        QVERIFY(QFile::remove(link));
        QCOMPARE(ResolvePortDevice(QStringLiteral("COM16")), QStringLiteral("/dev/ttyS15"));
    }
};

QTEST_GUILESS_MAIN(TestPortResolver)
#include "tst_portresolver.moc"
