// The identification configuration dialog: the placeholder load and the fill
// 300 ms later, the "Space Char code" list, the length rule of "Set", the two
// checks of the code and what a successful "Set" stores.
#include "dialogs/dlgsncfg.h"

#include "capturedmessages.h"
#include "common/pointer.h"
#include "common/waitms.h"
#include "dialogfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <optional>

using namespace Common;
using namespace TestSupport;

class TestDlgSNCfg : public QObject {
    Q_OBJECT

private:
    std::optional<CapturedMessages> messages_;

    // Opens the dialog and waits for its delayed fill.
    static bool OpenFilled(DlgSNCfg& dlg)
    {
        if (!ShowAndActivate(&dlg))
            return false;
        return QTest::qWaitFor([&dlg] { return dlg.isEnabled(); }, 10000);
    }

private Q_SLOTS:
    void init()
    {
        SetWaitScaleForTests(5); // the 300 ms fill, but for the one test that times it
        AppSettings = AppSettingsRecord{};
        DialogCancelled = true;
        messages_.reset();
        messages_.emplace();
    }
    void cleanupTestCase()
    {
        messages_.reset();
        SetWaitScaleForTests(100);
    }

    void loadsPlaceholdersThenTheSettings()
    {
        AppSettings = Record(
            "SerialNo=ABCDE12345 SNoNumCol=6 SNoNumLen=5 SNoAlign=1 SNoSpcChar=42 AutoInc=1");
        SetWaitScaleForTests(100);
        QElapsedTimer clock;
        clock.start();
        DlgSNCfg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Identification conditions"));
        QVERIFY(!dlg.isEnabled());
        QCOMPARE(CurrentPointer(), Pointer::Hourglass);
        QCOMPARE(dlg.TxtSNo->text(), QStringLiteral("XXXXXXXXXX"));
        QCOMPARE(dlg.TxtSNo->maxLength(), 10);
        QCOMPARE(dlg.CboAlign->currentIndex(), 0);
        QCOMPARE(dlg.CboSpcChar->currentIndex(), 0);
        QVERIFY(!dlg.ChkAutoInc->isChecked());

        QVERIFY(OpenFilled(dlg));
        QVERIFY(clock.elapsed() >= 250); // a coarse timer may fire a little early
        QCOMPARE(CurrentPointer(), Pointer::Default);
        QCOMPARE(dlg.TxtSNo->text(), QStringLiteral("ABCDE12345"));
        QCOMPARE(dlg.CboColumns->currentText(), QStringLiteral(" 10"));
        QVERIFY(!dlg.CboColumns->isEnabled()); // stays grey after the dialog is enabled
        QCOMPARE(dlg.CboStartNum->currentText(), QStringLiteral("  6"));
        QCOMPARE(dlg.CboNumLen->currentText(), QStringLiteral("  5"));
        QCOMPARE(dlg.CboAlign->currentText(), QStringLiteral(" Right side"));
        QCOMPARE(dlg.CboSpcChar->currentText(), QStringLiteral("*(2Ah)"));
        QVERIFY(dlg.ChkAutoInc->isChecked());
        QVERIFY(dlg.CmdSet->isEnabled());
    }

    void closingBeforeTheFillRestoresThePointer()
    {
        {
            DlgSNCfg dlg;
            QCOMPARE(CurrentPointer(), Pointer::Hourglass);
        }
        QCOMPARE(CurrentPointer(), Pointer::Default);
    }

    void spaceCharListHoldsEveryPrintableCode()
    {
        DlgSNCfg dlg;
        QCOMPARE(dlg.CboSpcChar->count(), 95);
        QCOMPARE(dlg.CboSpcChar->itemText(0), QStringLiteral("sp (20h)"));
        QCOMPARE(dlg.CboSpcChar->itemText(1), QStringLiteral("!(21h)"));
        QCOMPARE(dlg.CboSpcChar->itemText(94), QStringLiteral("~(7Eh)"));
        QCOMPARE(dlg.CboColumns->itemText(0), QStringLiteral("  1"));
        QCOMPARE(dlg.CboNumLen->count(), 7);
        QCOMPARE(dlg.CboNumLen->itemText(6), QStringLiteral("  6"));
    }

    void setIsOfferedOnlyForAFullLengthCode()
    {
        DlgSNCfg dlg;
        QVERIFY(OpenFilled(dlg));
        TypeText(dlg.TxtSNo, QStringLiteral("Label0001"));
        QVERIFY(!dlg.CmdSet->isEnabled());
        PressKey(&dlg, Qt::Key_Return); // the grey default button does nothing
        QVERIFY(dlg.isVisible());
        QTest::keyClicks(dlg.TxtSNo, QStringLiteral("2"));
        QVERIFY(dlg.CmdSet->isEnabled());
        QTest::keyClicks(dlg.TxtSNo, QStringLiteral("3")); // an eleventh does not fit
        QCOMPARE(dlg.TxtSNo->text(), QStringLiteral("Label00012"));
        PressKey(&dlg, Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(AppSettings.SerialNo, QStringLiteral("Label00012"));
        QCOMPARE(AppSettings.StartNum, 12);
    }

    // The code goes to the printer one byte a character, as from the main window.
    void codeBoxRefusesCharactersOutsideLatin1()
    {
        DlgSNCfg dlg;
        QVERIFY(OpenFilled(dlg));
        dlg.TxtSNo->clear();
        dlg.TxtSNo->insert(QStringLiteral("Label\u0416")); // as a paste
        QCOMPARE(dlg.TxtSNo->text(), QString());
        dlg.TxtSNo->insert(QStringLiteral("Label\u00E9"));
        QCOMPARE(dlg.TxtSNo->text(), QStringLiteral("Label\u00E9"));
    }

    void setChecksTheLayoutAndTheNumber_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("startColumn");
        QTest::addColumn<int>("numberLength");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("startNum");
        QTest::newRow("defaults") << "Printer000" << 8 << 3 << true << 0;
        QTest::newRow("six digits") << "Code123456" << 5 << 6 << true << 123456;
        QTest::newRow("number runs past the end") << "Printer012" << 9 << 3 << true << 12;
        QTest::newRow("A: number ends early") << "Pr000inter" << 3 << 3 << false << 0;
        QTest::newRow("A: no number before the end") << "ABCDEFGHIJ" << 9 << 0 << false << 0;
        QTest::newRow("B: letter in the number") << "Printer0A7" << 8 << 3 << false << 0;
        QTest::newRow("B: blank in the number") << "Printer 07" << 8 << 3 << false << 0;
        QTest::newRow("no number on the last column") << "ABCDEFGHIJ" << 10 << 0 << true << 0;
        QTest::newRow("no number from column 1") << "ABCDEFGHI9" << 1 << 0 << false << 0;
    }
    void setChecksTheLayoutAndTheNumber()
    {
        QFETCH(QString, code);
        QFETCH(int, startColumn);
        QFETCH(int, numberLength);
        QFETCH(bool, accepted);
        QFETCH(int, startNum);
        AppSettings.StartNum = 77;
        const QString before = Describe(AppSettings);
        DlgSNCfg dlg;
        QVERIFY(OpenFilled(dlg));
        TypeText(dlg.TxtSNo, code);
        ChooseEntry(dlg.CboStartNum, startColumn - 1);
        ChooseEntry(dlg.CboNumLen, numberLength);
        Click(dlg.CmdSet);
        if (!accepted) {
            QCOMPARE(messages_->all().size(), 1);
            QCOMPARE(messages_->all().at(0).title, QStringLiteral("Code ERROR!"));
            QCOMPARE(messages_->all().at(0).text,
                     QStringLiteral("Some set items are not correct."));
            QVERIFY(dlg.isVisible());
            QVERIFY(DialogCancelled);
            QCOMPARE(Describe(AppSettings), before);
            QCOMPARE(dlg.TxtSNo->text(), code); // the entries stay for correcting
            return;
        }
        QVERIFY(messages_->isEmpty());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!DialogCancelled);
        QCOMPARE(AppSettings.SerialNo, code);
        QCOMPARE(int(AppSettings.SNoNumCol), startColumn);
        QCOMPARE(int(AppSettings.SNoNumLen), numberLength);
        QCOMPARE(AppSettings.StartNum, startNum);
    }

    void setStoresEveryChoiceAndShowsItAgain()
    {
        {
            DlgSNCfg dlg;
            QVERIFY(OpenFilled(dlg));
            QVERIFY(DialogTest::Operate(&dlg, "CboAlign=1 ChkAutoInc CboSpcChar=94 CmdSet"));
        }
        QCOMPARE(Fields(AppSettings, "SNoAlign AutoInc SNoSpcChar SNoLength StartNum"),
                 QStringLiteral("1 0 126 10 0"));
        DlgSNCfg again;
        QVERIFY(OpenFilled(again));
        QCOMPARE(again.CboSpcChar->currentText(), QStringLiteral("~(7Eh)"));
        QCOMPARE(again.CboAlign->currentIndex(), 1);
    }

    void everyWayOutButSetStoresNothing_data() { DialogTest::WaysOut(); }
    void everyWayOutButSetStoresNothing()
    {
        QFETCH(int, way);
        const QString before = Describe(AppSettings);
        DlgSNCfg dlg;
        QVERIFY(OpenFilled(dlg));
        QVERIFY(DialogTest::Operate(&dlg, "TxtSNo=Other12345 CboStartNum=5 CboNumLen=5 "
                                          "CboSpcChar=94 CboAlign=1 ChkAutoInc"));
        QVERIFY(DialogTest::LeaveBy(dlg, dlg.CmdCancel, way));
        QCOMPARE(Describe(AppSettings), before);
    }
};

QTEST_MAIN(TestDlgSNCfg)
#include "tst_dlgsncfg.moc"
