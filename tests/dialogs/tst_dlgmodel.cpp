// The model selection dialog: the list, its preselection, and that only
// "Set" records a choice.
#include "dialogs/dlgmodel.h"

#include "settings/appsettings.h"
#include "settingsdump.h"
#include "widgetdriver.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace Common;
using namespace TestSupport;

class TestDlgModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        AppSettings = AppSettingsRecord{};
        ModelList = ModelListRecord{};
        const QStringList names{QStringLiteral("TR-80"), QStringLiteral("TR-58 Mini"),
                                QStringLiteral("KX-Q")};
        for (int k = 0; k < names.size(); ++k)
            ModelList.ModelNames[static_cast<std::size_t>(k)] = names.at(k);
        ModelList.ModelCount = static_cast<std::uint8_t>(names.size());
        ModelList.ModelIndex = 2;
        AppSettings.ModelName = QStringLiteral("TR-58 Mini");
        DialogCancelled = true;
    }

    void listsTheModelsAndPreselectsTheStoredOne()
    {
        DlgModel dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Model Selection"));
        QCOMPARE(dlg.LstModel->count(), 3);
        QCOMPARE(dlg.LstModel->item(0)->text(), QStringLiteral(" TR-80"));
        QCOMPARE(dlg.LstModel->item(2)->text(), QStringLiteral(" KX-Q"));
        QCOMPARE(dlg.LstModel->currentRow(), 1);
        QVERIFY(dlg.LstModel->item(1)->isSelected());
    }

    void setWithoutTouchingTheListWritesTheSameModel()
    {
        DlgModel dlg;
        QVERIFY(ShowAndActivate(&dlg));
        Click(dlg.CmdSet);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!DialogCancelled);
        QCOMPARE(AppSettings.ModelName, QStringLiteral("TR-58 Mini"));
        QCOMPARE(ModelList.ModelIndex, std::uint8_t(2));
    }

    void enterStoresTheChosenModel()
    {
        DlgModel dlg;
        QVERIFY(ShowAndActivate(&dlg));
        ChooseRow(dlg.LstModel, 2);
        PressKey(&dlg, Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!DialogCancelled);
        QCOMPARE(AppSettings.ModelName, QStringLiteral("KX-Q"));
        QCOMPARE(ModelList.ModelIndex, std::uint8_t(3));
    }

    void everyWayOutButSetStoresNothing_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
    }
    void everyWayOutButSetStoresNothing()
    {
        QFETCH(QString, way);
        const QString before = DumpSettingsAndModel();
        DlgModel dlg;
        QVERIFY(ShowAndActivate(&dlg));
        ChooseRow(dlg.LstModel, 0);
        if (way == QLatin1String("cancel"))
            Click(dlg.CmdCancel);
        else if (way == QLatin1String("escape"))
            PressKey(&dlg, Qt::Key_Escape);
        else
            dlg.close();
        QVERIFY(!dlg.isVisible());
        QVERIFY(DialogCancelled);
        QCOMPARE(DumpSettingsAndModel(), before);
    }
};

QTEST_MAIN(TestDlgModel)
#include "tst_dlgmodel.moc"
