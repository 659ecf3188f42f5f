// The LAN and Windows-driver interfaces: LAN only connects and disconnects,
// the Windows driver does nothing; neither carries data nor touches ErrorFlag.

#include "capturedmessages.h"
#include "common/appsettings.h"
#include "link/link.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace Common;

class TestLanLink : public QObject {
    Q_OBJECT
private:
    QList<bool> portCheck;

private Q_SLOTS:
    void init()
    {
        AppSettings = AppSettingsRecord{};
        AppSettings.LANIP = QStringLiteral("127.0.0.1");
        ErrorFlag = false;
        portCheck.clear();
        SetPortCheckSwitch([this](bool on) { portCheck << on; });
    }

    void cleanup()
    {
        ReleaseLink();
        SetPortCheckSwitch(nullptr);
    }

    void connectsWithoutWaitingAndCarriesNothing()
    {
        QTcpServer printer;
        QVERIFY(printer.listen(QHostAddress::LocalHost));
        AppSettings.Interface = LAN;
        AppSettings.ActiveInterface = LAN;
        AppSettings.LANPort = printer.serverPort();
        CapturedMessages messages;

        OpenPort();
        QVERIFY(Winsock().state() != QAbstractSocket::UnconnectedState);
        QVERIFY(printer.waitForNewConnection(5000));
        QTcpSocket* accepted = printer.nextPendingConnection();
        QVERIFY(accepted);
        QTRY_COMPARE_WITH_TIMEOUT(Winsock().state(), QAbstractSocket::ConnectedState, 5000);
        QVERIFY(portCheck.isEmpty());

        SendData(QStringLiteral("1D4901"));
        QCOMPARE(ReceiveData(), QString());
        QTest::qWait(50);
        QCOMPARE(accepted->bytesAvailable(), 0);

        QSignalSpy disconnected(accepted, &QTcpSocket::disconnected);
        ClosePort();
        QCOMPARE(Winsock().state(), QAbstractSocket::UnconnectedState);
        QVERIFY(disconnected.wait(5000));
        QVERIFY(!ErrorFlag);
        QVERIFY(messages.isEmpty());
        QCOMPARE(portCheck, QList<bool>{false});
    }

    void unreachablePrinterIsNotReported_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::newRow("connection refused") << true;
        QTest::newRow("nobody answers") << false; // documentation range
    }

    // OpenPort neither waits for the connection nor reports its failure.
    void unreachablePrinterIsNotReported()
    {
        QFETCH(bool, refused);
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        AppSettings.LANPort = closed.serverPort();
        closed.close(); // nobody listens there now
        if (!refused)
            AppSettings.LANIP = QStringLiteral("192.0.2.1");
        AppSettings.Interface = LAN;
        AppSettings.ActiveInterface = LAN;
        CapturedMessages messages;
        QElapsedTimer elapsed;
        elapsed.start();
        OpenPort();
        QVERIFY2(elapsed.elapsed() < 1000, qPrintable(QString::number(elapsed.elapsed())));
        if (refused)
            QTRY_COMPARE_WITH_TIMEOUT(Winsock().state(), QAbstractSocket::UnconnectedState, 5000);
        ClosePort();
        QCOMPARE(Winsock().state(), QAbstractSocket::UnconnectedState);
        QVERIFY(messages.isEmpty());
        QVERIFY(!ErrorFlag);
    }

    void windowsDriverDoesNothing()
    {
        AppSettings.Interface = WindowsDriver;
        AppSettings.ActiveInterface = WindowsDriver;
        CapturedMessages messages;
        QElapsedTimer elapsed;
        elapsed.start();
        OpenPort();
        SendData(QStringLiteral("1D4901"));
        QCOMPARE(ReceiveData(), QString());
        ClosePort();
        QVERIFY(elapsed.elapsed() < 1000);
        QVERIFY(!ErrorFlag);
        QVERIFY(messages.isEmpty());
        QCOMPARE(portCheck, QList<bool>{false}); // ClosePort's switch-off only
    }
};

QTEST_MAIN(TestLanLink)
#include "tst_lan.moc"
