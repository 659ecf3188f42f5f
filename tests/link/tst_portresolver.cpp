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

    void resolve_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("linkedTo"); // the data folder's entry, if any
        QTest::addColumn<QString>("device");   // "entry": the data folder's entry itself
        const auto row = [](const char* port, const char* linkedTo, const char* device) {
            QTest::newRow(*port ? port : "empty")
                << QString::fromLatin1(port) << QString::fromLatin1(linkedTo)
                << QString::fromLatin1(device);
        };
        row("COM1", "", "/dev/ttyS0");
        row("LPT2", "", "/dev/parport1");
        row("USB015", "", "/dev/usb/lp14");
        for (const char* unknown : {"COM0", "COM", "COM1000", "com1", "../COM1", ""})
            row(unknown, "", "");
        row("COM16", "/dev/ttyACM0", "entry"); // dangling here is fine
        row("PRN", "/dev/null", "entry");      // a name of no known form
    }
    void resolve()
    {
        QFETCH(QString, port);
        QFETCH(QString, linkedTo);
        QFETCH(QString, device);
        const QString entry = QDir(data_.path()).filePath(port);
        if (!linkedTo.isEmpty())
            QVERIFY(QFile::link(linkedTo, entry));
        QCOMPARE(ResolvePortDevice(port), device == QLatin1String("entry") ? entry : device);
        if (!linkedTo.isEmpty())
            QVERIFY(QFile::remove(entry));
    }
};

QTEST_GUILESS_MAIN(TestPortResolver)
#include "tst_portresolver.moc"
