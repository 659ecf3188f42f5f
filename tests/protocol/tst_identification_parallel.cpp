// The identification as the operator runs it on the parallel interface: the
// real main window driving the port registers, the simulated IEEE 1284
// printer on the cable. Commands go out with the compatibility handshake,
// replies come back in nibble mode.
#include "identificationfixture.h"

#include "app/wincolour.h"
#include "link/portio.h"
#include "simparallelport.h"

using namespace Common;

class TestIdentificationParallel : public QObject {
    Q_OBJECT

    std::unique_ptr<E2E::Fixture> fx_;
    std::shared_ptr<Sim::Ieee1284Peripheral> peripheral_;
    Sim::SimParallelPort* port_ = nullptr; // owned by the port I/O

    void startWith(std::uint8_t printerModel)
    {
        fx_->newPrinter(printerModel);
        peripheral_ = std::make_shared<Sim::Ieee1284Peripheral>(fx_->printer);
        auto port = std::make_unique<Sim::SimParallelPort>(peripheral_);
        port_ = port.get();
        SetPortIoBackend(std::move(port)); // initialised by the start-up
        E2E::Link link;
        link.interfaceKind = Parallel;
        link.iniLines = "Interface = Parallel\r\n";
        fx_->start(link, QStringLiteral("ZX-P700"));
        QVERIFY(port_->initialized());
    }

    // The port is back in compatibility mode, idle.
    void verifyIdle()
    {
        QCOMPARE(port_->controlRegister(), std::uint8_t{0xCC});
        QCOMPARE(peripheral_->phase(), Sim::Ieee1284Peripheral::Phase::CompatibilityIdle);
    }

    void verifyNotAdvanced()
    {
        QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer001"));
        QCOMPARE(AppSettings.SerialNo, QStringLiteral("Printer001"));
        QVERIFY(!fx_->form->CmdSNoBack->isVisible());
        QVERIFY(ErrorFlag);
    }

private Q_SLOTS:
    void init()
    {
        fx_ = std::make_unique<E2E::Fixture>();
        SetWaitScaleForTests(5);
    }
    void cleanup()
    {
        fx_->stop();
        SetPortIoBackend(nullptr);
        port_ = nullptr;
        peripheral_.reset();
        fx_.reset();
        SetWaitScaleForTests(100);
    }

    void getReadsTheCodeInNibbleMode();
    void setStoresTheCode();
    void noReverseChannel();
    void busyAfterAByteOfTheWrite_data();
    void busyAfterAByteOfTheWrite();
};

void TestIdentificationParallel::getReadsTheCodeInNibbleMode()
{
    startWith(0x35);
    fx_->printer->setIdentificationCode("Printer777");
    fx_->click(fx_->form->CmdGetSNo);
    QCOMPARE(fx_->wire(), E2E::ModelQuery + E2E::SerialNoQuery);
    // The last reply: 5F, the ten code bytes and 00, two nibbles each.
    QCOMPARE(peripheral_->nibblesSent(), 2 * 12);
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer777"));
    QCOMPARE(ForeColor(fx_->form->TxtSNo), std::uint32_t{ColourRed});
    QVERIFY(fx_->messages->isEmpty());
    QVERIFY(!ErrorFlag);
    verifyIdle();
}

void TestIdentificationParallel::setStoresTheCode()
{
    startWith(0x35);
    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->wire(), E2E::ModelQuery + E2E::SerialNoTransmission("Printer001"));
    QCOMPARE(peripheral_->bytesTaken(), 3 + 33);
    QCOMPARE(fx_->printer->identificationCode(), QByteArray("Printer001"));
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer002"));
    QVERIFY(fx_->messages->isEmpty());
    verifyIdle();

    // Read back over the reverse channel after the printer's reset.
    fx_->click(fx_->form->CmdGetSNo);
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer001"));
    QVERIFY(fx_->messages->isEmpty());
}

// A compatibility-only printer takes the query but cannot answer it.
void TestIdentificationParallel::noReverseChannel()
{
    startWith(0x35);
    peripheral_->faults().noReverseChannel = true;
    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->titles(), QStringList{E2E::PrinterNotConfirmed});
    QCOMPARE(fx_->wire(), E2E::ModelQuery); // nothing written
    QCOMPARE(fx_->printer->identificationCode(), QByteArray(10, '\0'));
    verifyNotAdvanced();
    verifyIdle();
}

void TestIdentificationParallel::busyAfterAByteOfTheWrite_data()
{
    QTest::addColumn<int>("n");
    QTest::newRow("first byte") << 1;
    QTest::newRow("inside the code") << 20;
    // Everything arrived, yet the printer never said it was ready again.
    QTest::newRow("last byte") << 33;
}

void TestIdentificationParallel::busyAfterAByteOfTheWrite()
{
    QFETCH(int, n);
    startWith(0x35);
    peripheral_->faults().busyAfterBytes = 3 + n; // the model query goes through
    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->titles(), QStringList{E2E::RegistrationFailed});
    QCOMPARE(peripheral_->bytesTaken(), 3 + n);
    const QByteArray write = E2E::SerialNoTransmission("Printer001");
    // The host stopped at the byte the printer did not acknowledge: it is
    // still on the data lines, the rest never got there.
    QCOMPARE(port_->dataRegister(), static_cast<std::uint8_t>(write.at(n - 1)));
    QVERIFY((E2E::ModelQuery + write.left(n)).startsWith(fx_->wire()));
    QCOMPARE(fx_->printer->identificationCode(),
             n == 33 ? QByteArray("Printer001") : QByteArray(10, '\0'));
    verifyNotAdvanced();
}

QTEST_MAIN(TestIdentificationParallel)
#include "tst_identification_parallel.moc"
