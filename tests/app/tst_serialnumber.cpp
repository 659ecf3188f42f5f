// The identification code field: the number part, the advance after a
// write, "Inc.", "Back" and the history, on the real main window.

#include "appfixture.h"
#include "settingsrecord.h"

#include "common/wincolour.h"
#include "settings/settingsfile.h"

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

    // One press on the window: "w" the printer takes the code that "Set
    // S/No." wrote, "f" it refuses it, "i" "Inc.", "b" "Back", "B" the "Back"
    // handler with the button hidden (a click queued before it was hidden),
    // "=text" types text over the code.
    void press(const QString& step)
    {
        if (step.startsWith(QLatin1Char('='))) {
            form().TxtSNo->selectAll();
            QTest::keyClicks(form().TxtSNo, step.mid(1));
        } else if (step == QLatin1String("w") || step == QLatin1String("f")) {
            ErrorFlag = step == QLatin1String("f");
            AppSettings.SerialNo = shown();
            UpdateSerialNumber(SNoAdvance);
        } else if (step == QLatin1String("i")) {
            ErrorFlag = true; // "Inc." clears it itself
            QTest::mouseClick(form().CmdNumInc, Qt::LeftButton);
        } else if (step == QLatin1String("b")) {
            QTest::mouseClick(form().CmdSNoBack, Qt::LeftButton);
        } else {
            form().CmdSNoBack_Click();
        }
    }

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

    // The code shown after the refresh and after each press; "Back" is offered
    // exactly while there is history. startNum: StartNum at the end.
    void presses_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("codes");
        QTest::addColumn<int>("startNum");
        auto row = [](const char* name, const char* settings, const QString& steps,
                      const QString& codes, int startNum) {
            QTest::newRow(name) << QString::fromLatin1(settings) << steps << codes << startNum;
        };
        row("write, back", "", "w b", "Printer001 Printer002 Printer001", 1);
        row("inc, back", "", "i b", "Printer001 Printer002 Printer001", 1);
        row("wraps after 999", "StartNum=999", "w w", "Printer999 Printer000 Printer001", 1);
        row("no number part", "SNoNumLen=0 SerialNo=ABCDEFGHIJ", "w i w",
            "ABCDEFGHIJ ABCDEFGHIJ ABCDEFGHIJ ABCDEFGHIJ", 1);
        row("auto-advance off", "AutoInc=0 StartNum=5", "w i", "Printer005 Printer005 Printer005",
            5);
        // A restored code after a refused write takes StartNum, not its own number.
        row("back after a refusal", "", "w f b", "Printer001 Printer002 Printer002 Printer002", 2);
        // A typed code keeps its number through a refused write, and through a
        // write that does not advance.
        row("refused typed code", "", "=Printer555 f", "Printer001 Printer555 Printer555", 555);
        row("typed code, no advance", "AutoInc=0", "=Printer050 w",
            "Printer001 Printer050 Printer050", 50);
        row("typed code advances", "", "=Printer050 w", "Printer001 Printer050 Printer051", 51);
        row("typed letters read as 0", "", "=Printer0A7 f", "Printer001 Printer0A7 Printer000", 0);
        // "000123": only "000" fits in the code.
        row("number past the end", "SNoNumLen=6 StartNum=123", "w", "Printer000 Printer000", 1);
        // Ten codes are kept: after eleven writes "Back" ends at the second.
        const auto code = [](int n) {
            return QStringLiteral(" Printer%1").arg(n, 3, 10, QLatin1Char('0'));
        };
        QString codes = code(1);
        for (int n = 2; n <= 12; ++n)
            codes += code(n);
        for (int n = 11; n >= 2; --n)
            codes += code(n);
        row("eleven writes, ten backs, empty history", "",
            QStringLiteral("w ").repeated(11) + QStringLiteral("b ").repeated(10) + "B",
            codes.mid(1) + code(2), 2);
    }
    void presses()
    {
        QFETCH(QString, settings);
        QFETCH(QString, steps);
        QFETCH(QString, codes);
        QFETCH(int, startNum);
        QVERIFY(TestSupport::Apply(AppSettings, settings));
        UpdateSerialNumber(SNoRefresh);
        QCOMPARE(form().CmdNumInc->isVisible(), AppSettings.SNoNumLen != 0);
        QCOMPARE(form().LblAutoInc->isVisible(), AppSettings.AutoInc);
        const QStringList expected = codes.split(QLatin1Char(' '));
        QCOMPARE(shown(), expected.at(0));
        const QStringList pressed = steps.split(QLatin1Char(' '));
        QCOMPARE(pressed.size() + 1, expected.size());
        for (int k = 0; k < pressed.size(); ++k) {
            press(pressed.at(k));
            const QByteArray where =
                QStringLiteral("after %1 (%2)").arg(k).arg(pressed.at(k)).toLatin1();
            QVERIFY2(shown() == expected.at(k + 1), where + " shows " + shown().toLatin1());
            QVERIFY2(form().CmdSNoBack->isVisible() == (HistoryCount > 0), where);
        }
        QCOMPARE(AppSettings.StartNum, startNum);
    }

    // A typed code is saved with its number and is the code shown at the
    // next start.
    void typedCodeComesBackAfterARestart()
    {
        UpdateSerialNumber(SNoRefresh);
        press(QStringLiteral("=Printer050"));
        const QByteArray saved = FormatSettings(AppSettings, shown(), QDateTime::currentDateTime());
        AppSettings = AppSettingsRecord{};
        QCOMPARE(ParseSettings(saved, AppSettings).status, LoadStatus::Done);
        UpdateSerialNumber(SNoRefresh);
        QCOMPARE(shown(), QStringLiteral("Printer050"));
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
        QCOMPARE(AppSettings.StartNum, 0); // the number part as it now reads
        QVERIFY(!form().CmdNumInc->isVisible());
        QVERIFY(!form().CmdSetSNo->isEnabled());

        form().SetDefaultButton(nullptr);
        QTest::keyClicks(form().TxtSNo, QStringLiteral("7"));
        QCOMPARE(AppSettings.StartNum, 7);
        QVERIFY(form().CmdSetSNo->isEnabled());
        QCOMPARE(form().DefaultButton(), form().CmdSetSNo);
        // Typing does not change the code itself.
        QCOMPARE(AppSettings.SerialNo, QStringLiteral("Printer001"));
    }

    // The number read from the len characters at col, and the code with n written there.
    void numberPart_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("len");
        QTest::addColumn<int>("read");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("written");
        auto row = [](const char* name, const char* code, int col, int len, int read, int n,
                      const char* written) {
            QTest::newRow(name) << QString::fromLatin1(code) << col << len << read << n
                                << QString::fromLatin1(written);
        };
        row("leading blanks, zero-filled", "Printer  7", 8, 3, 7, 8, "Printer008");
        row("a letter ends it, last digits", "Printer1A2", 8, 3, 1, 1000, "Printer000");
        row("no digits", "PrinterABC", 8, 3, 0, 7, "Printer007");
        row("inside the code", "12345", 2, 2, 23, 9, "10945");
        row("past the end", "Printer001", 9, 3, 1, 45, "Printer004");
        row("six digits", "AB999999CD", 3, 6, 999999, 1, "AB000001CD");
        row("first column", "9000000000", 1, 1, 9, 8, "8000000000");
    }
    void numberPart()
    {
        QFETCH(QString, code);
        QFETCH(int, col);
        QFETCH(int, len);
        QFETCH(int, read);
        QFETCH(int, n);
        QFETCH(QString, written);
        QCOMPARE(ReadNumberPart(code, col, len), read);
        QCOMPARE(WithNumberPart(code, col, len, n), written);
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
