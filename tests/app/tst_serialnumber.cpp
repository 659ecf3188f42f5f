// The identification code field: the number part, the advance after a
// write, "Inc.", "Back" and the history, on the real main window.

#include "appfixture.h"

#include "app/wincolour.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Common;

class TestSerialNumber : public QObject {
    Q_OBJECT

    std::unique_ptr<AppTest::Environment> env_;

    FrmMain& form() { return *env_->form; }
    QString shown() { return form().TxtSNo->text(); }

    // What "Set S/No." does once the printer has taken the code, or refused it.
    void writeSucceeds(bool succeeds = true)
    {
        ErrorFlag = !succeeds;
        AppSettings.SerialNo = shown();
        UpdateSerialNumber(SNoAdvance);
    }
    void writeFails() { writeSucceeds(false); }
    void clickBack() { QTest::mouseClick(form().CmdSNoBack, Qt::LeftButton); }

private Q_SLOTS:
    void initTestCase() { env_ = std::make_unique<AppTest::Environment>(); }
    void cleanupTestCase() { env_.reset(); }

    void init()
    {
        env_->install();
        env_->openForm();
    }
    void cleanup()
    {
        env_->form.reset();
        SetWaitScaleForTests(5);
    }

    void workedSequence()
    {
        UpdateSerialNumber(SNoRefresh);
        QCOMPARE(shown(), QStringLiteral("Printer001"));
        QCOMPARE(ForeColor(form().TxtSNo), std::uint32_t(ColourBlack));
        QVERIFY(form().CmdNumInc->isVisible());
        QVERIFY(form().LblAutoInc->isVisible());
        QVERIFY(!form().CmdSNoBack->isVisible());

        writeSucceeds();
        QCOMPARE(SerialHistory.at(0), QStringLiteral("Printer001"));
        QCOMPARE(HistoryCount, 1);
        QVERIFY(form().CmdSNoBack->isVisible());
        QCOMPARE(shown(), QStringLiteral("Printer002"));
        QCOMPARE(AppSettings.StartNum, 2);

        clickBack();
        QCOMPARE(shown(), QStringLiteral("Printer001"));
        QCOMPARE(AppSettings.StartNum, 1);
        QCOMPARE(HistoryCount, 0);
        QVERIFY(!form().CmdSNoBack->isVisible());
    }

    void wrapsAfterTheLastNumber()
    {
        AppSettings.StartNum = 999;
        UpdateSerialNumber(SNoRefresh);
        QCOMPARE(shown(), QStringLiteral("Printer999"));
        writeSucceeds();
        QCOMPARE(shown(), QStringLiteral("Printer000"));
        QCOMPARE(AppSettings.StartNum, 1000);
        writeSucceeds();
        QCOMPARE(shown(), QStringLiteral("Printer001"));
        QCOMPARE(AppSettings.StartNum, 1);
    }

    void typingMarksTheCodeAsEdited()
    {
        UpdateSerialNumber(SNoRefresh);
        AppSettings.StartNum = 42;
        form().TxtSNo->setFocus();
        form().TxtSNo->end(false);
        QTest::keyClick(form().TxtSNo, Qt::Key_Backspace);
        QCOMPARE(shown(), QStringLiteral("Printer00"));
        QCOMPARE(ForeColor(form().TxtSNo), std::uint32_t(ColourBlue));
        QCOMPARE(AppSettings.StartNum, 1);
        QVERIFY(!form().CmdNumInc->isVisible());
        QVERIFY(!form().CmdSetSNo->isEnabled());

        form().SetDefaultButton(nullptr);
        QTest::keyClicks(form().TxtSNo, QStringLiteral("7"));
        QVERIFY(form().CmdSetSNo->isEnabled());
        QCOMPARE(form().DefaultButton(), form().CmdSetSNo);
        // Typing does not change the code itself.
        QCOMPARE(AppSettings.SerialNo, QStringLiteral("Printer001"));
    }

    void incAdvancesTheCodeNotTheTextBox()
    {
        UpdateSerialNumber(SNoRefresh);
        ErrorFlag = true; // "Inc." clears it itself
        QTest::mouseClick(form().CmdNumInc, Qt::LeftButton);
        QCOMPARE(shown(), QStringLiteral("Printer002"));
        QCOMPARE(SerialHistory.at(0), QStringLiteral("Printer001"));
        QVERIFY(form().CmdNumInc->isVisible());
    }

    void noNumberPart()
    {
        AppSettings.SNoNumLen = 0;
        AppSettings.SerialNo = QStringLiteral("ABCDEFGHIJ");
        UpdateSerialNumber(SNoRefresh);
        QVERIFY(!form().CmdNumInc->isVisible());
        writeSucceeds();
        writeSucceeds();
        QCOMPARE(shown(), QStringLiteral("ABCDEFGHIJ"));
        QCOMPARE(HistoryCount, 0);
        QVERIFY(!form().CmdSNoBack->isVisible());
    }

    void autoIncOff()
    {
        AppSettings.AutoInc = false;
        AppSettings.StartNum = 5;
        UpdateSerialNumber(SNoRefresh);
        QCOMPARE(shown(), QStringLiteral("Printer005"));
        QVERIFY(!form().LblAutoInc->isVisible());
        writeSucceeds();
        QCOMPARE(shown(), QStringLiteral("Printer005"));
        QTest::mouseClick(form().CmdNumInc, Qt::LeftButton);
        QCOMPARE(shown(), QStringLiteral("Printer005"));
        QCOMPARE(HistoryCount, 0);
    }

    void tenBacksAfterElevenWrites()
    {
        UpdateSerialNumber(SNoRefresh);
        for (int i = 0; i < 11; ++i)
            writeSucceeds();
        QCOMPARE(shown(), QStringLiteral("Printer012"));
        QCOMPARE(HistoryCount, 10);
        for (int i = 0; i < 10; ++i) {
            QVERIFY2(form().CmdSNoBack->isVisible(), qPrintable(QString::number(i)));
            clickBack();
        }
        QCOMPARE(shown(), QStringLiteral("Printer002")); // the code written second
        QVERIFY(!form().CmdSNoBack->isVisible());
        QCOMPARE(HistoryCount, 0);
        // "Back" with an empty history (a click queued before it was hidden) does nothing.
        form().CmdSNoBack_Click();
        QCOMPARE(shown(), QStringLiteral("Printer002"));
        QCOMPARE(HistoryCount, 0);
    }

    void backAfterAFailureTakesStartNum()
    {
        UpdateSerialNumber(SNoRefresh);
        writeSucceeds(); // history: Printer001, shows Printer002, StartNum 2
        writeFails();    // no advance: Printer002 again
        QCOMPARE(shown(), QStringLiteral("Printer002"));
        QCOMPARE(HistoryCount, 1);
        clickBack(); // ErrorFlag still set: the restored code takes StartNum
        QCOMPARE(shown(), QStringLiteral("Printer002"));
        QVERIFY(ErrorFlag);
    }

    void failedWriteOfATypedCode()
    {
        UpdateSerialNumber(SNoRefresh);
        form().TxtSNo->selectAll();
        QTest::keyClicks(form().TxtSNo, QStringLiteral("Printer555"));
        writeFails();
        // The typed code's number part is replaced by StartNum, which typing set to 1.
        QCOMPARE(shown(), QStringLiteral("Printer001"));
    }

    void numberPartRunningPastTheEnd()
    {
        AppSettings.SNoNumLen = 6;
        AppSettings.StartNum = 123;
        UpdateSerialNumber(SNoRefresh);
        QCOMPARE(shown(), QStringLiteral("Printer000")); // "000123": only "000" fits
        writeSucceeds();
        QCOMPARE(shown(), QStringLiteral("Printer000"));
        QCOMPARE(AppSettings.StartNum, 1);
    }

    void readNumberPart_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("len");
        QTest::addColumn<int>("number");
        QTest::newRow("plain") << "Printer042" << 8 << 3 << 42;
        QTest::newRow("leading blanks") << "Printer  7" << 8 << 3 << 7;
        QTest::newRow("stops at a letter") << "Printer1A2" << 8 << 3 << 1;
        QTest::newRow("inner blank stops") << "Printer1 2" << 8 << 3 << 1;
        QTest::newRow("no digits") << "PrinterABC" << 8 << 3 << 0;
        QTest::newRow("only the part") << "12345" << 2 << 2 << 23;
        QTest::newRow("past the end") << "Printer001" << 9 << 3 << 1;
        QTest::newRow("six digits") << "AB999999CD" << 3 << 6 << 999999;
        QTest::newRow("sign is no digit") << "Printer-12" << 8 << 3 << 0;
    }
    void readNumberPart()
    {
        QFETCH(QString, code);
        QFETCH(int, col);
        QFETCH(int, len);
        QFETCH(int, number);
        QCOMPARE(ReadNumberPart(code, col, len), number);
    }

    void withNumberPart_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("len");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("result");
        QTest::newRow("fill") << "Printer000" << 8 << 3 << 7 << "Printer007";
        QTest::newRow("last digits") << "Printer000" << 8 << 3 << 1000 << "Printer000";
        QTest::newRow("middle") << "AB0000CDEF" << 3 << 4 << 12 << "AB0012CDEF";
        QTest::newRow("past the end") << "Printer000" << 9 << 3 << 45 << "Printer004";
        QTest::newRow("seven digits fill") << "X000000YYY" << 2 << 6 << 1 << "X000001YYY";
        QTest::newRow("first column") << "0000000000" << 1 << 1 << 9 << "9000000000";
    }
    void withNumberPart()
    {
        QFETCH(QString, code);
        QFETCH(int, col);
        QFETCH(int, len);
        QFETCH(int, number);
        QFETCH(QString, result);
        QCOMPARE(WithNumberPart(code, col, len, number), result);
    }

    void refreshShowsBlueThenBlackAndKeepsTheOperatorOut()
    {
        SetWaitScaleForTests(100);
        form().TxtSNo->setFocus();
        std::uint32_t colourDuringWait = 0;
        bool enabledDuringWait = true;
        QWidget* focusDuringWait = nullptr;
        QTimer::singleShot(100, this, [&] {
            colourDuringWait = ForeColor(form().TxtSNo);
            enabledDuringWait = form().isEnabled();
            focusDuringWait = form().focusWidget();
        });
        UpdateSerialNumber(SNoRefresh);
        QCOMPARE(colourDuringWait, std::uint32_t(ColourBlue));
        QVERIFY(!enabledDuringWait);
        QVERIFY(form().isEnabled());
        QCOMPARE(ForeColor(form().TxtSNo), std::uint32_t(ColourBlack));
        QVERIFY(focusDuringWait != form().TxtSNo); // disabling took the focus away
        QCOMPARE(form().focusWidget(), form().TxtSNo);
    }
};

QTEST_MAIN(TestSerialNumber)
#include "tst_serialnumber.moc"
