// Port names to device paths, and the data folder's entries that override them.

#include "link/portresolver.h"
#include "settings/appsettings.h"

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
        QTest::newRow("COM1") << "COM1"
                              << "/dev/ttyS0";
        QTest::newRow("COM16") << "COM16"
                               << "/dev/ttyS15";
        QTest::newRow("LPT2") << "LPT2"
                              << "/dev/parport1";
        QTest::newRow("USB001") << "USB001"
                                << "/dev/usb/lp0";
        QTest::newRow("USB015") << "USB015"
                                << "/dev/usb/lp14";
        QTest::newRow("COM0") << "COM0"
                              << "";
        QTest::newRow("no number") << "COM"
                                   << "";
        QTest::newRow("four digits") << "COM1000"
                                     << "";
        QTest::newRow("lower case") << "com1"
                                    << "";
        QTest::newRow("other name") << "PRN"
                                    << "";
        QTest::newRow("path") << "../COM1"
                              << "";
        QTest::newRow("empty") << ""
                               << "";
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
