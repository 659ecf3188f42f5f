// The identification as the operator runs it on the serial interface: the
// real main window, the serial control wired to the simulated printer, the
// printer ready while it holds DSR.
#include "identificationfixture.h"

#include "app/wincolour.h"
#include "simserialcontrol.h"

using namespace Common;

namespace {

const QString kOpenRefused = QStringLiteral("Device or resource busy: /dev/ttyS0");

} // namespace

class TestIdentificationSerial : public QObject {
    Q_OBJECT

    std::unique_ptr<E2E::Fixture> fx_;
    Sim::SimSerialControl* comm_ = nullptr; // owned by the link

    void startWith(std::uint8_t printerModel)
    {
        fx_->newPrinter(printerModel);
        auto control = std::make_unique<Sim::SimSerialControl>(fx_->printer);
        comm_ = control.get();
        SetSerialControl(std::move(control));
        E2E::Link link;
        link.interfaceKind = Serial;
        link.comPort = 1;
        link.iniLines = "Interface = Serial\r\n";
        fx_->start(link, QStringLiteral("ZX-P700"));
    }

    // Ends with the code unchanged, nothing stored and the failure in ErrorFlag.
    void verifyNotAdvanced()
    {
        QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer001"));
        QCOMPARE(AppSettings.SerialNo, QStringLiteral("Printer001"));
        QVERIFY(!fx_->form->CmdSNoBack->isVisible());
        QCOMPARE(fx_->printer->identificationCode(), QByteArray(10, '\0'));
        QVERIFY(ErrorFlag);
    }

private Q_SLOTS:
    void init()
    {
        fx_ = std::make_unique<E2E::Fixture>();
        // 19200 baud moves the 33 bytes in about 17 ms; the 200 ms the link
        // allows for the output to drain must stay longer than that.
        SetWaitScaleForTests(25);
    }
    void cleanup()
    {
        fx_->stop();
        SetSerialControl(nullptr);
        comm_ = nullptr;
        fx_.reset();
        SetWaitScaleForTests(100);
    }

    void setThenGetWithDsrHeld();
    void dsrDroppedWritesNothing();
    void outputThatDoesNotDrain();
    void portThatCannotBeOpened_data();
    void portThatCannotBeOpened();
};

void TestIdentificationSerial::setThenGetWithDsrHeld()
{
    startWith(0x35);
    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->wire(), E2E::ModelQuery + E2E::SerialNoTransmission("Printer001"));
    QCOMPARE(fx_->printer->identificationCode(), QByteArray("Printer001"));
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer002"));
    QVERIFY(!comm_->portOpen());
    QVERIFY(!fx_->form->TmrPortCheck.isActive());

    fx_->printer->clearCommandLog();
    fx_->click(fx_->form->CmdGetSNo);
    QCOMPARE(fx_->wire(), E2E::ModelQuery + E2E::SerialNoQuery);
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer001"));
    QCOMPARE(ForeColor(fx_->form->TxtSNo), std::uint32_t{ColourRed});
    QVERIFY(fx_->messages->isEmpty());
    QVERIFY(!comm_->portOpen());
}

void TestIdentificationSerial::dsrDroppedWritesNothing()
{
    startWith(0x35);
    fx_->printer->faults().readyLineDropped = true;
    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->titles(), QStringList{E2E::PrinterNotConfirmed});
    QCOMPARE(fx_->printer->bytesTaken(), qint64{0});
    verifyNotAdvanced();
    QVERIFY(!comm_->portOpen());
}

// The printer answers GS I 1, then holds the line: the identification stays
// in the output buffer.
void TestIdentificationSerial::outputThatDoesNotDrain()
{
    startWith(0x35);
    Sim::SimSerialControl* comm = comm_;
    fx_->afterCommand(E2E::ModelQuery, [comm] { comm->setOutputStalled(true); });
    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->titles(), QStringList{E2E::RegistrationFailed});
    QCOMPARE(fx_->printer->bytesTaken(), qint64{3});
    verifyNotAdvanced();
}

void TestIdentificationSerial::portThatCannotBeOpened_data()
{
    QTest::addColumn<bool>("write");
    QTest::newRow("Set S/No.") << true;
    QTest::newRow("Get S/No.") << false;
}

// The control's reason is shown by OpenPort, and again by SendData, whose
// output on the closed port the control refuses; the operation then reports
// the unconfirmed printer.
void TestIdentificationSerial::portThatCannotBeOpened()
{
    QFETCH(bool, write);
    startWith(0x35);
    comm_->setOpenFailure(kOpenRefused);
    fx_->click(write ? fx_->form->CmdSetSNo : fx_->form->CmdGetSNo);
    const QStringList expected{QStringLiteral("Port ERROR! / ") + kOpenRefused,
                               QStringLiteral("Print ERROR! / ") + kOpenRefused,
                               E2E::PrinterNotConfirmed};
    QCOMPARE(fx_->titles(), expected);
    QCOMPARE(fx_->printer->bytesTaken(), qint64{0});
    QVERIFY(!fx_->form->TmrPortCheck.isActive());
    QCOMPARE(CurrentPointer(), Pointer::Default);
    verifyNotAdvanced();
}

QTEST_MAIN(TestIdentificationSerial)
#include "tst_identification_serial.moc"
