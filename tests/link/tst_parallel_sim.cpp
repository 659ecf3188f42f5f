// The link's parallel port functions against the simulated IEEE 1284
// peripheral: the compatibility-mode handshake of SendData and the nibble-mode
// reverse channel of ReceiveData, register access by register access.

#include "app/msgbox.h"
#include "app/waitms.h"
#include "ieee1284peripheral.h"
#include "link/link.h"
#include "link/portio.h"
#include "settings/appsettings.h"
#include "simparallelport.h"

#include <QTest>

using namespace Common;
using Sim::Ieee1284Peripheral;
using Sim::SimParallelPort;
using Sim::SimPrinter;

namespace {

const QString kCodeTransmission = QStringLiteral("1D2845030001494E"
                                                 "1D28450B00F0"
                                                 "5072696E746572303432" // Printer042
                                                 "1D28450400024F5554");

} // namespace

class TstParallelSim : public QObject {
    Q_OBJECT

    std::shared_ptr<SimPrinter> printer_;
    std::shared_ptr<Ieee1284Peripheral> peripheral_;
    SimParallelPort* port_ = nullptr; // owned by the link
    QStringList messages_;

private Q_SLOTS:
    void initTestCase()
    {
        SetWaitScaleForTests(5);
        SetMsgBoxHandler([this](const QString& title, const QString& text) {
            messages_ << title + QStringLiteral(": ") + text;
        });
    }
    void cleanupTestCase()
    {
        SetPortIoBackend(nullptr);
        SetMsgBoxHandler(nullptr);
    }

    void init()
    {
        printer_ = std::make_shared<SimPrinter>();
        printer_->setModelId(0x51);
        printer_->setIdentificationCode("Printer001");
        printer_->setResetTimeMs(50);
        peripheral_ = std::make_shared<Ieee1284Peripheral>(printer_);
        auto port = std::make_unique<SimParallelPort>(peripheral_, 0x378);
        port_ = port.get();
        SetPortIoBackend(std::move(port));
        AppSettings.Interface = Parallel;
        AppSettings.ActiveInterface = Parallel;
        AppSettings.LPTPort = 1;
        AppSettings.LPTAddress = 0x378;
        messages_.clear();
        ErrorFlag = false;
    }
    void cleanup() { QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join(QLatin1Char('\n')))); }

    void modelIdentifier()
    {
        SendData(QStringLiteral("1D4901"));
        QVERIFY(!ErrorFlag);
        QCOMPARE(printer_->commandLog().back().text, QStringLiteral("GS I 1"));
        QCOMPARE(ReceiveData(), QStringLiteral("51"));
        QVERIFY(!ErrorFlag);
        QCOMPARE(port_->controlRegister(), std::uint8_t(0xCC));
        QCOMPARE(peripheral_->phase(), Ieee1284Peripheral::Phase::CompatibilityIdle);
    }

    void twelveByteReplyNibbleByNibble()
    {
        SendData(QStringLiteral("1D4944"));
        QVERIFY(!ErrorFlag);
        QCOMPARE(ReceiveData(), QStringLiteral("5F5072696E74657230303100"));
        QVERIFY(!ErrorFlag);
        QCOMPARE(peripheral_->nibblesSent(), 24);
        QCOMPARE(LptNotReady(), false);
    }

    void identificationTransmissionStoresCode()
    {
        SendData(kCodeTransmission);
        QVERIFY(!ErrorFlag);
        QCOMPARE(printer_->identificationCode(), QByteArray("Printer042"));
        QCOMPARE(printer_->bytesTaken(), qint64(33));
        QTRY_VERIFY(!LptNotReady()); // the reset is over
        // The notice after IN went with the reset: the read-back is clean.
        SendData(QStringLiteral("1D4944"));
        QCOMPARE(ReceiveData(), QStringLiteral("5F5072696E74657230343200"));
        QVERIFY(!ErrorFlag);
    }

    void printerWithoutReverseChannel()
    {
        peripheral_->faults().noReverseChannel = true;
        SendData(QStringLiteral("1D4901"));
        QVERIFY(!ErrorFlag);
        QCOMPARE(ReceiveData(), QString());
        QVERIFY(ErrorFlag);
        QCOMPARE(port_->controlRegister(), std::uint8_t(0xCC));
        QVERIFY(!LptNotReady());
    }

    void silentPrinterFailsNegotiation()
    {
        printer_->faults().silent = true;
        SendData(QStringLiteral("1D4901"));
        QCOMPARE(ReceiveData(), QString());
        QVERIFY(ErrorFlag);
        QCOMPARE(peripheral_->phase(), Ieee1284Peripheral::Phase::CompatibilityIdle);
    }

    void busyAfterThirdByte()
    {
        peripheral_->faults().busyAfterBytes = 3;
        SendData(QStringLiteral("1D49441D4901"));
        QVERIFY(ErrorFlag);
        QCOMPARE(printer_->bytesTaken(), qint64(3));
    }

    void offlinePrinterGetsNothing()
    {
        printer_->faults().stopsTaking = true;
        QVERIFY(LptNotReady());
        SendData(QStringLiteral("1D4901"));
        QVERIFY(ErrorFlag);
        QCOMPARE(printer_->bytesTaken(), qint64(0));
    }

    void ackStuckInThirdByte()
    {
        peripheral_->faults().nAckStuckAtNibble = 4;
        SendData(QStringLiteral("1D4944"));
        QCOMPARE(ReceiveData(), QStringLiteral("5F50"));
        QVERIFY(!ErrorFlag);
    }

    void endlessDataCutAt201Bytes()
    {
        peripheral_->faults().endlessData = true;
        SendData(QStringLiteral("1D4901"));
        const QString reply = ReceiveData();
        QCOMPARE(reply.size(), 402);
        QVERIFY(reply.startsWith(QStringLiteral("5155")));
        QCOMPARE(port_->controlRegister(), std::uint8_t(0xCC));
    }

    void vanishedPrinter()
    {
        printer_->faults().vanishAfterBytes = 2;
        SendData(QStringLiteral("1D4901"));
        QVERIFY(ErrorFlag);
        ErrorFlag = false;
        QCOMPARE(ReceiveData(), QString());
        QVERIFY(ErrorFlag);
    }
};

QTEST_GUILESS_MAIN(TstParallelSim)
#include "tst_parallel_sim.moc"
