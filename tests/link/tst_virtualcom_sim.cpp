// The link's virtual COM port against the simulated printer on a
// pseudo-terminal linked into the data folder as COM16.

#include "app/msgbox.h"
#include "app/waitms.h"
#include "link/link.h"
#include "ptyprinter.h"
#include "settings/appsettings.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Common;
using Sim::PtyPrinter;
using Sim::SimPrinter;

namespace {

const QString kCodeTransmission = QStringLiteral("1D2845030001494E"
                                                 "1D28450B00F0"
                                                 "5072696E746572303432" // Printer042
                                                 "1D28450400024F5554");

} // namespace

class TstVirtualComSim : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    std::shared_ptr<SimPrinter> printer_;
    std::unique_ptr<PtyPrinter> pty_;
    QStringList messages_;

    // One exchange as the identification operations make it.
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
        QVERIFY(folder_.isValid());
        DataFolder = folder_.path();
        SetMsgBoxHandler([this](const QString& title, const QString& text) {
            messages_ << title + QStringLiteral(": ") + text;
        });
    }
    void cleanupTestCase() { SetMsgBoxHandler(nullptr); }

    void init()
    {
        printer_ = std::make_shared<SimPrinter>();
        printer_->setModelId(0x51);
        printer_->setResetTimeMs(300);
        pty_ = std::make_unique<PtyPrinter>(printer_);
        QVERIFY(pty_->open());
        QVERIFY(pty_->linkInto(DataFolder, QStringLiteral("COM16")));
        AppSettings.Interface = VirtualCom;
        AppSettings.ActiveInterface = VirtualCom;
        AppSettings.COMPort = 16;
        AppSettings.COMBaud = 192;
        messages_.clear();
        ErrorFlag = false;
        OpenPort();
        QVERIFY(!ErrorFlag);
    }
    void cleanup()
    {
        ClosePort();
        pty_.reset();
        SetWaitScaleForTests(100);
    }

    void modelIdentifierRoundTrip()
    {
        QCOMPARE(exchange(QStringLiteral("1D4901")), QStringLiteral("51"));
        QVERIFY(!ErrorFlag);
        QVERIFY(messages_.isEmpty());
        QCOMPARE(printer_->commandLog().back().text, QStringLiteral("GS I 1"));
    }

    void writeThenReadBackDrainsTheNotice()
    {
        QCOMPARE(exchange(QStringLiteral("1D4901")), QStringLiteral("51"));
        WaitMs(100);
        SendData(kCodeTransmission);
        QVERIFY(!ErrorFlag);
        WaitMs(2000); // the tool's pause after a write; the notice 37 20 00 arrives meanwhile
        QCOMPARE(printer_->identificationCode(), QByteArray("Printer042"));
        QCOMPARE(exchange(QStringLiteral("1D4901")), QStringLiteral("51"));
        WaitMs(100);
        QCOMPARE(exchange(QStringLiteral("1D4944")), QStringLiteral("5F5072696E74657230343200"));
        QVERIFY(messages_.isEmpty());
    }

    void lateAnswerCountsAsNone()
    {
        printer_->faults().replyDelayMs = 400;
        QCOMPARE(exchange(QStringLiteral("1D4901")), QString());
        printer_->faults().replyDelayMs = 0;
        WaitMs(400);
        // The late byte is stale by now: the next send drops it.
        QCOMPARE(exchange(QStringLiteral("1D4901")), QStringLiteral("51"));
    }

    void faultyReplies_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reply");
        QTest::newRow("other model") << "other"
                                     << "35";
        QTest::newRow("garbage") << "garbage"
                                 << "E30F7C81FF5A11";
        QTest::newRow("long") << "long"
                              << "51AA";
        QTest::newRow("silent") << "silent"
                                << "";
    }
    void faultyReplies()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reply);
        Sim::SimFaults& f = printer_->faults();
        f.otherModelId =
            fault == QLatin1String("other") ? std::optional<std::uint8_t>(0x35) : std::nullopt;
        f.garbageReplies = fault == QLatin1String("garbage");
        f.replyLengthChange = fault == QLatin1String("long") ? 1 : 0;
        f.silent = fault == QLatin1String("silent");
        QCOMPARE(exchange(QStringLiteral("1D4901")), reply);
    }

    void vanishedPrinterMovesNothing()
    {
        printer_->faults().vanishAfterBytes = 3;
        QCOMPARE(exchange(QStringLiteral("1D4901")), QString());
        QTRY_VERIFY(!pty_->isOpen());
        QCOMPARE(exchange(QStringLiteral("1D4901")), QString());
    }
};

QTEST_GUILESS_MAIN(TstVirtualComSim)
#include "tst_virtualcom_sim.moc"
