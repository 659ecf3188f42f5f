// The simulated printer's protocol core: its replies, the user setting mode,
// the framing of commands by their length and the software reset after OUT.
// The faults and the transports are driven by the link and protocol tests.

#include "simprinter.h"

#include <QTest>

namespace {

const QByteArray kGsI1("\x1D\x49\x01", 3);
const QByteArray kIn("\x1D\x28\x45\x03\x00\x01\x49\x4E", 8);
const QByteArray kOut("\x1D\x28\x45\x04\x00\x02\x4F\x55\x54", 9);
const QByteArray kNotice("\x37\x20\x00", 3);

// GS ( E fn F0h, pL counting the function byte and the code.
QByteArray StoreCode(const QByteArray& code)
{
    return QByteArray("\x1D\x28\x45", 3) + char(code.size() + 1) + '\0' + '\xF0' + code;
}

} // namespace

class TstSimPrinter : public QObject {
    Q_OBJECT

    qint64 now_ = 0;
    std::unique_ptr<Sim::SimPrinter> printer_;

private Q_SLOTS:
    void init()
    {
        printer_ = std::make_unique<Sim::SimPrinter>();
        printer_->setClock([this] { return now_; });
        printer_->setModelId(0x51);
        printer_->setIdentificationCode("Code1");
        printer_->setModelName("ZX-P700");
    }

    // One feed, what the printer transmits for it and the code it holds
    // afterwards. A GS I 1 at the end shows that the bytes before it were
    // taken as the right commands.
    void exchanges_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("code");
        const auto row = [](const char* name, const QByteArray& command, const QByteArray& reply,
                            const QByteArray& code = "Code1") {
            QTest::newRow(name) << command << reply << code;
        };
        row("GS I 1", kGsI1, "\x51");
        // 5Fh is "_".
        row("GS I 44h, the code padded", "\x1D\x49\x44", QByteArray("_Code1\0\0\0\0\0\0", 12));
        row("GS I 43h, the name up to its first 00h", "\x1D\x49\x43", QByteArray("_ZX-P700\0", 9));
        row("code stored", kIn + StoreCode("Printer042") + kOut, kNotice, "Printer042");
        // Not IN, so the store comes outside the user setting mode.
        row("IN with other parameters",
            QByteArray("\x1D\x28\x45\x03\x00\x01IO", 8) + StoreCode("Printer042"), {});
        row("store of nine bytes", kIn + StoreCode("Printer42") + kOut, kNotice);
        // In the mode only the user setting commands count; a second IN is not announced.
        row("query and IN in the mode", kIn + kGsI1 + kIn, kNotice);
        row("OUT outside the mode resets nothing", kOut + kGsI1, "\x51");
        // pL pH (pH in 256s) count the data of every GS ( x command, which is
        // never read as a command; this longest one is passed over unheld. Its
        // last byte is a GS, which would swallow the query after it.
        row("GS ( L of 65535 bytes",
            QByteArray("\x1D\x28\x4C\xFF\xFF", 5) + QByteArray("\x49\x01\x1D").repeated(0x5555) +
                kGsI1,
            "\x51");
        // ESC, FS, DLE and GS other than GS I and GS ( are their prefix and one byte.
        row("other commands",
            "\x1B\x1D\x49\x01\x1C\x1D\x49\x01\x10\x1D\x49\x01\x1D\x1D\x49\x01\x1B\x40\x1D\x49\x01",
            "\x51");
    }
    void exchanges()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, code);
        printer_->feed(command);
        QTEST(printer_->takeReply(), "reply");
        QCOMPARE(printer_->identificationCode(), code.leftJustified(10, '\0'));
    }

    // OUT ends the mode with a software reset: no input is taken and the
    // ready line (DSR) is low until it is over.
    void resetAfterOut()
    {
        // The tool pauses 2000 ms after its write: the printer is back by then.
        const int resetMs = printer_->resetTimeMs();
        QVERIFY(resetMs > 0 && resetMs < 2000);
        const QByteArray write = kIn + StoreCode("Printer042") + kOut;
        QCOMPARE(printer_->feed(write + kGsI1), qint64(write.size()));
        QCOMPARE(printer_->msUntilTaking(), std::optional<qint64>(resetMs));
        now_ += resetMs - 1;
        QVERIFY(!printer_->readyLine());
        QCOMPARE(printer_->feed(kGsI1), qint64(0));
        now_ += 1;
        QVERIFY(printer_->readyLine());
        QCOMPARE(printer_->feed(kGsI1), qint64(3));
        QCOMPARE(printer_->takeReply(), kNotice + "\x51");
    }
};

QTEST_GUILESS_MAIN(TstSimPrinter)
#include "tst_simprinter.moc"
