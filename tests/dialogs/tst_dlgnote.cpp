// The notice dialog: its two showings and the keys that close it.

#include "common/appsettings.h"
#include "dialogs/dlgnote.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using Common::DialogCancelled;

namespace {

// Runs the dialog modally and presses the key (0: clicks Close) once it is
// up. Should that not close it, the dialog is ended with code 99 so the test
// fails instead of hanging.
int ExecWithKey(DlgNote& dialog, int key)
{
    QTimer::singleShot(50, &dialog, [&dialog, key] {
        if (key == 0)
            dialog.CmfClose->click();
        else
            QTest::keyClick(&dialog, Qt::Key(key));
    });
    QTimer::singleShot(10000, &dialog, [&dialog] { dialog.done(99); });
    return dialog.exec();
}

const QString MenuPage = QStringLiteral(
    "When selecting except the Serial and Parallel I/F, please execute the communication when "
    "the printer is online condition.\r\n"
    "If the printer is offline, the software is not able to find the printer conditions.\r\n"
    "\r\n"
    "The software condition is saved when it is exited. But if the Windows driver is selected, "
    "it is not saved. And the interface is set to Serial I/F.\r\n"
    "\r\n"
    "The registered identification code is cleared when the new F/W was led. Therefore the "
    "identification code has to register to printer again.");

} // namespace

class TestDlgNote : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fromTheHelpMenu()
    {
        DialogCancelled = true;
        DlgNote note;
        QCOMPARE(note.windowTitle(), QStringLiteral("Notice"));
        QCOMPARE(DlgNote::NoticeText(false), MenuPage);
        // The label shows the page with plain line feeds.
        QCOMPARE(note.LblNote->text(), QString(MenuPage).replace(QStringLiteral("\r\n"), "\n"));
        QVERIFY(note.LblNote->wordWrap());
        QCOMPARE(note.CmfClose->text(), QStringLiteral("Close"));
    }

    void atTheFirstStart()
    {
        DialogCancelled = false;
        DlgNote note;
        QCOMPARE(note.windowTitle(), QStringLiteral("Welcome!"));
        QCOMPARE(DlgNote::NoticeText(true),
                 QStringLiteral("At first, please read the following note.\r\n\r\n") + MenuPage);
        QVERIFY(note.LblNote->text().startsWith(
            QStringLiteral("At first, please read the following note.\n\nWhen selecting")));
    }

    void keysClose_data()
    {
        QTest::addColumn<bool>("firstStart");
        QTest::addColumn<int>("key");
        QTest::newRow("Enter, first start") << true << int(Qt::Key_Return);
        QTest::newRow("keypad Enter, menu") << false << int(Qt::Key_Enter);
        QTest::newRow("Escape, menu") << false << int(Qt::Key_Escape);
        QTest::newRow("Close button, menu") << false << 0;
    }
    void keysClose()
    {
        QFETCH(bool, firstStart);
        QFETCH(int, key);
        DialogCancelled = !firstStart;
        DlgNote note;
        QVERIFY(ExecWithKey(note, key) != 99);
        QVERIFY(!note.isVisible());
        // The dialog leaves the flag as it found it.
        QCOMPARE(DialogCancelled, !firstStart);
    }
};

QTEST_MAIN(TestDlgNote)
#include "tst_dlgnote.moc"
