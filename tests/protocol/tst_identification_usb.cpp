// The identification as the operator runs it on the USB printer port: the
// real main window, raw print jobs to a device node stand-in linked into the
// data folder as USB001, the simulated printer reading it. The port carries
// no replies, so the printer is taken to be the selected model.
#include "identificationfixture.h"

#include "link/rawprint.h"
#include "usbnodeprinter.h"

#include <QElapsedTimer>

using namespace Common;

class TestIdentificationUsb : public QObject {
    Q_OBJECT

    std::unique_ptr<E2E::Fixture> fx_;
    std::unique_ptr<Sim::UsbNodePrinter> node_;

    QString portEntry() const { return fx_->dataDir.filePath(QStringLiteral("USB001")); }

    void start()
    {
        E2E::Link link;
        link.interfaceKind = USB;
        link.twoWay = false;
        link.iniLines = "Interface = USB\r\nUSBPort = 1\r\n";
        fx_->start(link, QStringLiteral("ZX-P700"));
    }

    void startWithPrinter()
    {
        fx_->newPrinter(0x35);
        node_ = std::make_unique<Sim::UsbNodePrinter>(fx_->printer);
        QVERIFY2(node_->open(portEntry()), qPrintable(node_->errorString()));
        start();
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
        SetRawPrintBackend(MakeDeviceNodeRawPrintBackend());
        SetWaitScaleForTests(5);
    }
    void cleanup()
    {
        fx_->stop(); // gives up the port and any job still pending
        node_.reset();
        fx_.reset();
        SetWaitScaleForTests(100);
    }

    void writeWithoutQuery();
    void offlinePrinter();
    void missingDevice();
};

void TestIdentificationUsb::writeWithoutQuery()
{
    startWithPrinter();
    QElapsedTimer clock;
    clock.start();
    fx_->click(fx_->form->CmdSetSNo);
    // 100 + 1000 + 2000 + 200 ms at 5 %: the pause before the job count is
    // scaled like every other, or the operation alone would take a second.
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(fx_->messages->isEmpty());
    QCOMPARE(fx_->wire(), E2E::SerialNoTransmission("Printer001"));
    QCOMPARE(fx_->printer->identificationCode(), QByteArray("Printer001"));
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer002"));
    QCOMPARE(dpEnumJobs(), std::int16_t{0});

    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->printer->identificationCode(), QByteArray("Printer002"));
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer003"));
    QVERIFY(fx_->messages->isEmpty());
}

// A printer that takes nothing: the job stays queued past the pause.
void TestIdentificationUsb::offlinePrinter()
{
    startWithPrinter();
    node_->setOffline(true);
    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->titles(), QStringList{E2E::RegistrationFailed});
    QCOMPARE(fx_->printer->bytesTaken(), qint64{0});
    QCOMPARE(fx_->printer->identificationCode(), QByteArray(10, '\0'));
    verifyNotAdvanced();
}

// The data folder still names the printer's node, but it has gone.
void TestIdentificationUsb::missingDevice()
{
    QVERIFY(QFile::link(fx_->dataDir.filePath(QStringLiteral("unplugged/usblp")), portEntry()));
    fx_->newPrinter(0x35);
    start();
    fx_->click(fx_->form->CmdSetSNo);
    const QStringList expected{QStringLiteral("Port ERROR! / Failed to open the USB Port."),
                               E2E::RegistrationFailed};
    QCOMPARE(fx_->titles(), expected);
    verifyNotAdvanced();
}

QTEST_MAIN(TestIdentificationUsb)
#include "tst_identification_usb.moc"
