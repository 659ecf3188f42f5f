// The link's serial interface with the simulated printer behind the serial
// control: DSR, the drained output and the reply in the input buffer.

#include "app/msgbox.h"
#include "app/waitms.h"
#include "link/link.h"
#include "settings/appsettings.h"
#include "simserialcontrol.h"

#include <QTest>

using namespace Common;
using Sim::SimPrinter;
using Sim::SimSerialControl;

class TstSerialSim : public QObject {
    Q_OBJECT

    std::shared_ptr<SimPrinter> printer_;
    SimSerialControl* control_ = nullptr; // owned by the link
    QStringList messages_;

    QString exchange(const QString& command)
    {
        SendData(command);
        if (ErrorFlag)
            return {};
        WaitMs(200);
        return ReceiveData();
    }

private Q_SLOTS:
    void initTestCase()
    {
        SetWaitScaleForTests(10);
        SetMsgBoxHandler([this](const QString& title, const QString& text) {
            messages_ << title + QStringLiteral(": ") + text;
        });
    }
    void cleanupTestCase()
    {
        SetSerialControl(nullptr);
        SetMsgBoxHandler(nullptr);
    }

    void init()
    {
        printer_ = std::make_shared<SimPrinter>();
        printer_->setModelId(0x51);
        printer_->setIdentificationCode("Printer001");
        auto control = std::make_unique<SimSerialControl>(printer_);
        control_ = control.get();
        SetSerialControl(std::move(control));
        AppSettings.Interface = Serial;
        AppSettings.ActiveInterface = Serial;
        AppSettings.COMPort = 1;
        messages_.clear();
        ErrorFlag = false;
    }
    void cleanup() { ClosePort(); }

    void roundTrip()
    {
        OpenPort();
        QVERIFY(!ErrorFlag);
        QCOMPARE(control_->settings(), QStringLiteral("19200,n,8,1"));
        QCOMPARE(exchange(QStringLiteral("1D4901")), QStringLiteral("51"));
        QCOMPARE(exchange(QStringLiteral("1D4944")), QStringLiteral("5F5072696E74657230303100"));
        QVERIFY(!ErrorFlag);
        QVERIFY(messages_.isEmpty());
    }

    void dsrDroppedSendsNothing()
    {
        OpenPort();
        printer_->faults().readyLineDropped = true;
        SendData(QStringLiteral("1D4901"));
        QVERIFY(ErrorFlag);
        QCOMPARE(printer_->bytesTaken(), qint64(0));
        QVERIFY(messages_.isEmpty());
    }

    void outputThatDoesNotDrain()
    {
        OpenPort();
        control_->setOutputStalled(true);
        SendData(QStringLiteral("1D4901"));
        QVERIFY(ErrorFlag);
        QVERIFY(messages_.isEmpty());
    }

    void portInUse()
    {
        control_->setOpenFailure(QStringLiteral("Port in use"));
        OpenPort();
        QVERIFY(ErrorFlag);
        QCOMPARE(messages_, QStringList{QStringLiteral("Port ERROR!: Port in use")});
    }
};

QTEST_GUILESS_MAIN(TstSerialSim)
#include "tst_serial_sim.moc"
