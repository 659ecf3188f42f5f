// The LAN and Windows-driver interfaces: LAN only connects and disconnects,
// the Windows driver does nothing; neither waits, carries data, reports or
// touches ErrorFlag.

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

    enum Far { Listening, Refused, NobodyAnswers, WindowsDriverChosen };

    QList<bool> portCheck;

private Q_SLOTS:
    void cleanup()
    {
        ReleaseLink();
        SetPortCheckSwitch(nullptr);
    }

    void opensQuietlyAndCarriesNothing_data()
    {
        QTest::addColumn<int>("far");
        QTest::newRow("printer listening") << int(Listening);
        QTest::newRow("connection refused") << int(Refused);
        QTest::newRow("nobody answers") << int(NobodyAnswers); // documentation range
        QTest::newRow("Windows driver") << int(WindowsDriverChosen);
    }

    void opensQuietlyAndCarriesNothing()
    {
        QFETCH(int, far);
        QTcpServer printer;
        QVERIFY(printer.listen(QHostAddress::LocalHost));
        AppSettings = AppSettingsRecord{};
        AppSettings.Interface = far == WindowsDriverChosen ? WindowsDriver : LAN;
        AppSettings.ActiveInterface = AppSettings.Interface;
        AppSettings.LANIP = QLatin1String(far == NobodyAnswers ? "192.0.2.1" : "127.0.0.1");
        AppSettings.LANPort = printer.serverPort();
        if (far != Listening)
            printer.close(); // nobody listens there now
        ErrorFlag = false;
        portCheck.clear();
        SetPortCheckSwitch([this](bool on) { portCheck << on; });
        CapturedMessages messages;

        QElapsedTimer elapsed;
        elapsed.start();
        OpenPort(); // starts the connection, waits for nothing
        QVERIFY2(elapsed.elapsed() < 1000, qPrintable(QString::number(elapsed.elapsed())));
        QTcpSocket* accepted = nullptr;
        std::unique_ptr<QSignalSpy> disconnected;
        if (far == Listening) {
            QVERIFY(printer.waitForNewConnection(5000));
            accepted = printer.nextPendingConnection();
            disconnected = std::make_unique<QSignalSpy>(accepted, &QTcpSocket::disconnected);
        } else if (far == Refused) { // the refusal has arrived, and is not reported
            QTRY_COMPARE_WITH_TIMEOUT(Winsock().state(), QAbstractSocket::UnconnectedState, 5000);
        }
        SendData(QStringLiteral("1D4901"));
        QCOMPARE(ReceiveData(), QString());
        if (accepted) {
            QTest::qWait(50);
            QCOMPARE(accepted->bytesAvailable(), 0);
        }
        ClosePort(); // also a connection still being made
        QCOMPARE(Winsock().state(), QAbstractSocket::UnconnectedState);
        if (accepted)
            QVERIFY(disconnected->wait(5000));
        QVERIFY(!ErrorFlag);
        QVERIFY(messages.isEmpty());
        QCOMPARE(portCheck, QList<bool>{false}); // ClosePort's switch-off only
    }
};

QTEST_MAIN(TestLanLink)
#include "tst_lan.moc"
