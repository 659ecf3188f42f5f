// The link's USB interface against the simulated printer behind a stand-in
// for its device node, linked into the data folder as USB001.

#include "app/msgbox.h"
#include "app/waitms.h"
#include "link/link.h"
#include "settings/appsettings.h"
#include "usbnodeprinter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Common;
using Sim::SimPrinter;
using Sim::UsbNodePrinter;

namespace {

const QString kCodeTransmission = QStringLiteral("1D2845030001494E"
                                                 "1D28450B00F0"
                                                 "5072696E746572303432" // Printer042
                                                 "1D28450400024F5554");

} // namespace

class TstUsbSim : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    std::shared_ptr<SimPrinter> printer_;
    std::unique_ptr<UsbNodePrinter> node_;
    QStringList messages_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(folder_.isValid());
        DataFolder = folder_.path();
        SetWaitScaleForTests(20);
        SetMsgBoxHandler([this](const QString& title, const QString& text) {
            messages_ << title + QStringLiteral(": ") + text;
        });
    }
    void cleanupTestCase()
    {
        SetWaitScaleForTests(100);
        SetMsgBoxHandler(nullptr);
    }

    void init()
    {
        printer_ = std::make_shared<SimPrinter>();
        printer_->setResetTimeMs(100);
        node_ = std::make_unique<UsbNodePrinter>(printer_);
        QVERIFY(node_->open(QDir(DataFolder).filePath(QStringLiteral("USB001"))));
        AppSettings.Interface = USB;
        AppSettings.ActiveInterface = USB;
        AppSettings.USBPort = 1;
        messages_.clear();
        ErrorFlag = false;
        OpenPort();
        QVERIFY(!ErrorFlag);
    }
    void cleanup()
    {
        ReleaseLink(); // each test brings a new node; the backend must not keep the old one
        node_.reset();
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join(QLatin1Char('\n'))));
    }

    void jobStoresTheCode()
    {
        SendData(kCodeTransmission);
        QVERIFY(!ErrorFlag);
        QCOMPARE(printer_->identificationCode(), QByteArray("Printer042"));
        QCOMPARE(printer_->bytesTaken(), qint64(33));
        QCOMPARE(ReceiveData(), QString());
    }

    void offlinePrinterLeavesTheJobPending()
    {
        node_->setOffline(true);
        SendData(kCodeTransmission);
        QVERIFY(ErrorFlag);
        QCOMPARE(printer_->bytesTaken(), qint64(0));
        node_->setOffline(false);
        QTRY_COMPARE(printer_->identificationCode(), QByteArray("Printer042"));
    }
};

QTEST_GUILESS_MAIN(TstUsbSim)
#include "tst_usb_sim.moc"
