// The Set menu's settings dialogs seen from the main window: "Set" puts the
// new settings into effect, every other way out leaves the window as it was.
#include "appfixture.h"

#include "app/frmmain.h"
#include "dialogs/dlgifset.h"
#include "dialogs/dlgmodel.h"
#include "dialogs/dlgsncfg.h"
#include "settings/appsettings.h"
#include "settings/interfaceinfo.h"
#include "widgetdriver.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace Common;
using namespace TestSupport;

class TestFrmMainSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<AppTest::Environment> env_;
    std::unique_ptr<FrmMain> form_;
    bool operated_ = false;

    FrmMain& form() { return *form_; }

    // Chooses the menu item and, once its dialog is up, operates the dialog
    // as the operator would.
    template <typename Dialog>
    void OperateDialog(QAction* item, std::function<void(Dialog&)> operate)
    {
        operated_ = false;
        QTimer::singleShot(0, this, [this, operate] { operateWhenShown<Dialog>(operate); });
        item->trigger(); // returns when the modal dialog has closed
        QVERIFY(operated_);
    }
    template <typename Dialog> void operateWhenShown(std::function<void(Dialog&)> operate)
    {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            QTimer::singleShot(10, this, [this, operate] { operateWhenShown<Dialog>(operate); });
            return;
        }
        operated_ = true;
        operate(*dialog);
    }

private Q_SLOTS:
    void initTestCase() { env_ = std::make_unique<AppTest::Environment>(); }
    void cleanupTestCase() { env_.reset(); }

    void init()
    {
        env_->install();
        AppSettings = AppSettingsRecord{};
        ModelList = ModelListRecord{};
        ModelList.ModelCount = 2;
        ModelList.ModelNames.at(0) = QStringLiteral("TR-80");
        ModelList.ModelNames.at(1) = QStringLiteral("TR-58Q");
        ModelList.ModelIds.at(0) = 0x20;
        ModelList.ModelIds.at(1) = 0x51;
        ModelList.ModelIndex = 1;
        AppSettings.ModelName = QStringLiteral("TR-80");
        form_ = std::make_unique<FrmMain>();
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        BuildInterfaceInfo();
    }
    void cleanup()
    {
        form_.reset();
        ReleaseLink();
    }

    void interfaceSetPutsTheNewInterfaceIntoEffect()
    {
        OperateDialog<DlgIFSet>(form().MnuSetIF, [](DlgIFSet& dlg) {
            ChooseEntry(dlg.CboIF, DlgIFSet::ParallelPage);
            ChooseEntry(dlg.CboLPTPort, 1);
            Click(dlg.CmdSet);
        });
        QVERIFY(!DialogCancelled);
        QCOMPARE(form().LblIFInfo->text(), QStringLiteral(" Parallel I/F  (LPT2:)"));
        QCOMPARE(AppSettings.ActiveInterface, std::uint8_t(Parallel));
        QCOMPARE(AppSettings.LPTAddress, std::uint16_t(0x278));
    }

    void interfaceEscapeLeavesTheWindowAlone()
    {
        const QString line = form().LblIFInfo->text();
        OperateDialog<DlgIFSet>(form().MnuSetIF, [](DlgIFSet& dlg) {
            ChooseEntry(dlg.CboIF, DlgIFSet::USBPage);
            PressKey(&dlg, Qt::Key_Escape);
        });
        QVERIFY(DialogCancelled);
        QCOMPARE(form().LblIFInfo->text(), line);
        QCOMPARE(AppSettings.Interface, std::uint8_t(Serial));
        QVERIFY(form().CmdGetSNo->isEnabled());
    }

    void modelSetAppliesTheChosenModel()
    {
        AppSettings.Interface = VirtualCom;
        OperateDialog<DlgModel>(form().MnuSetModel, [](DlgModel& dlg) {
            ChooseRow(dlg.LstModel, 1);
            PressKey(&dlg, Qt::Key_Return);
        });
        QCOMPARE(ModelId, std::uint8_t(0x51));
        QCOMPARE(form().TxtModelName->text(), QStringLiteral("TR-58Q"));
        QVERIFY(form().MnuSetModelName->isEnabled()); // 51h on the virtual COM port
    }

    void modelCancelLeavesTheWindowAlone()
    {
        ModelId = 0x20;
        form().TxtModelName->setText(QStringLiteral("TR-80"));
        OperateDialog<DlgModel>(form().MnuSetModel, [](DlgModel& dlg) {
            ChooseRow(dlg.LstModel, 1);
            Click(dlg.CmdCancel);
        });
        QCOMPARE(ModelId, std::uint8_t(0x20));
        QCOMPARE(form().TxtModelName->text(), QStringLiteral("TR-80"));
        QCOMPARE(ModelList.ModelIndex, std::uint8_t(1));
    }

    void identificationSetRestartsTheCodeAndItsHistory()
    {
        HistoryCount = 3;
        form().CmdSNoBack->show();
        OperateDialog<DlgSNCfg>(form().MnuSetSNo, [](DlgSNCfg& dlg) {
            QVERIFY(QTest::qWaitFor([&dlg] { return dlg.isEnabled(); }, 10000));
            TypeText(dlg.TxtSNo, QStringLiteral("Label00042"));
            Click(dlg.CmdSet);
        });
        QCOMPARE(form().TxtSNo->text(), QStringLiteral("Label00042"));
        QCOMPARE(AppSettings.StartNum, 42);
        QCOMPARE(HistoryCount, std::uint8_t(0));
        QVERIFY(form().CmdSNoBack->isHidden());
    }

    void identificationCancelKeepsTheHistory()
    {
        HistoryCount = 3;
        form().CmdSNoBack->show();
        const QString shown = form().TxtSNo->text();
        OperateDialog<DlgSNCfg>(form().MnuSetSNo, [](DlgSNCfg& dlg) {
            QVERIFY(QTest::qWaitFor([&dlg] { return dlg.isEnabled(); }, 10000));
            TypeText(dlg.TxtSNo, QStringLiteral("Label00042"));
            Click(dlg.CmdCancel);
        });
        QCOMPARE(form().TxtSNo->text(), shown);
        QCOMPARE(HistoryCount, std::uint8_t(3));
        QVERIFY(!form().CmdSNoBack->isHidden());
    }
};

QTEST_MAIN(TestFrmMainSettings)
#include "tst_frmmain_settings.moc"
