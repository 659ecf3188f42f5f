// The Set menu's settings dialogs seen from the main window: "Set" puts the
// new settings into effect, every other way out leaves the window as it was.
#include "appfixture.h"

#include "app/buildinterfaceinfo.h"
#include "app/modelname.h"
#include "dialogs/dlgifset.h"
#include "dialogs/dlgmodel.h"
#include "dialogs/dlgsncfg.h"
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

namespace {

// Each dialog once left with "Set" (or Enter) and once with another way out.
void LeftBy()
{
    QTest::addColumn<bool>("set");
    QTest::newRow("Set") << true;
    QTest::newRow("other way out") << false;
}

} // namespace

class TestFrmMainSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<AppTest::Environment> env_;
    bool operated_ = false;

    FrmMain& form() { return *env_->form; }

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
        ModelList.ModelCount = 2;
        ModelList.ModelNames.at(0) = QStringLiteral("TR-80");
        ModelList.ModelNames.at(1) = QStringLiteral("TR-58Q");
        ModelList.ModelIds.at(0) = 0x20;
        ModelList.ModelIds.at(1) = 0x51;
        ModelList.ModelIndex = 1;
        AppSettings.ModelName = QStringLiteral("TR-80");
        env_->openForm();
        BuildInterfaceInfo();
    }
    void cleanup()
    {
        env_->form.reset();
        ReleaseLink();
    }

    void interfaceDialog_data() { LeftBy(); }
    void interfaceDialog()
    {
        QFETCH(bool, set);
        const QString line = form().LblIFInfo->text();
        OperateDialog<DlgIFSet>(form().MnuSetIF, [set](DlgIFSet& dlg) {
            ChooseEntry(dlg.CboIF, DlgIFSet::ParallelPage);
            ChooseEntry(dlg.CboLPTPort, 1);
            set ? Click(dlg.CmdSet) : PressKey(&dlg, Qt::Key_Escape);
        });
        QCOMPARE(DialogCancelled, !set);
        QCOMPARE(form().LblIFInfo->text(), set ? QStringLiteral(" Parallel I/F  (LPT2:)") : line);
        QCOMPARE(AppSettings.ActiveInterface, std::uint8_t(set ? Parallel : Serial));
        QCOMPARE(AppSettings.LPTAddress, std::uint16_t(set ? 0x278 : 0x378));
        QVERIFY(form().CmdGetSNo->isEnabled());
    }

    // Between closing the old port and opening the new one nothing may start.
    void interfaceChangeKeepsTheOperatorOut()
    {
        SetWaitScaleForTests(100);
        bool enabledDuringWait = true;
        QTimer::singleShot(100, this, [&] { enabledDuringWait = form().isEnabled(); });
        BuildInterfaceInfo();
        SetWaitScaleForTests(5);
        QVERIFY(!enabledDuringWait);
        QVERIFY(form().isEnabled());
    }

    void modelDialog_data() { LeftBy(); }
    void modelDialog()
    {
        QFETCH(bool, set);
        AppSettings.Interface = VirtualCom;
        ApplySelectedModel();
        OperateDialog<DlgModel>(form().MnuSetModel, [set](DlgModel& dlg) {
            ChooseRow(dlg.LstModel, 1);
            set ? PressKey(&dlg, Qt::Key_Return) : Click(dlg.CmdCancel);
        });
        QCOMPARE(ModelId, std::uint8_t(set ? 0x51 : 0x20));
        QCOMPARE(form().TxtModelName->text(), set ? QStringLiteral("TR-58Q") : "TR-80");
        QCOMPARE(ModelList.ModelIndex, std::uint8_t(set ? 2 : 1));
        QCOMPARE(form().MnuSetModelName->isEnabled(), set); // 51h on the virtual COM port
    }

    void identificationDialog_data() { LeftBy(); }
    void identificationDialog()
    {
        QFETCH(bool, set);
        HistoryCount = 3;
        form().CmdSNoBack->show();
        const QString shown = form().TxtSNo->text();
        OperateDialog<DlgSNCfg>(form().MnuSetSNo, [set](DlgSNCfg& dlg) {
            QVERIFY(QTest::qWaitFor([&dlg] { return dlg.isEnabled(); }, 10000));
            TypeText(dlg.TxtSNo, QStringLiteral("Label00042"));
            Click(set ? dlg.CmdSet : dlg.CmdCancel);
        });
        // "Set" restarts the code and its history.
        QCOMPARE(form().TxtSNo->text(), set ? QStringLiteral("Label00042") : shown);
        QCOMPARE(AppSettings.StartNum, set ? 42 : 1);
        QCOMPARE(HistoryCount, std::uint8_t(set ? 0 : 3));
        QCOMPARE(form().CmdSNoBack->isHidden(), set);
    }
};

QTEST_MAIN(TestFrmMainSettings)
#include "tst_frmmain_settings.moc"
