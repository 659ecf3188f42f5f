// The model selection dialog: the list, its preselection, and that only
// "Set" records a choice.
#include "dialogs/dlgmodel.h"

#include "dialogfixture.h"

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

    // "Set" untouched keeps the model; Enter takes the chosen one.
    void setStoresTheChosenModel_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("model");
        QTest::newRow("untouched, Set") << -1 << "TR-58 Mini 2";
        QTest::newRow("third, Enter") << 2 << "KX-Q 3";
    }
    void setStoresTheChosenModel()
    {
        QFETCH(int, row);
        QFETCH(QString, model);
        DlgModel dlg;
        QVERIFY(ShowAndActivate(&dlg));
        if (row < 0) {
            Click(dlg.CmdSet);
        } else {
            ChooseRow(dlg.LstModel, row);
            PressKey(&dlg, Qt::Key_Return);
        }
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!DialogCancelled);
        QCOMPARE(AppSettings.ModelName + QLatin1Char(' ') + QString::number(ModelList.ModelIndex),
                 model);
    }

    void everyWayOutButSetStoresNothing_data() { DialogTest::WaysOut(); }
    void everyWayOutButSetStoresNothing()
    {
        QFETCH(int, way);
        const QString before = DescribeWithModel();
        DlgModel dlg;
        QVERIFY(ShowAndActivate(&dlg));
        ChooseRow(dlg.LstModel, 0);
        QVERIFY(DialogTest::LeaveBy(dlg, dlg.CmdCancel, way));
        QCOMPARE(DescribeWithModel(), before);
    }
};

QTEST_MAIN(TestDlgModel)
#include "tst_dlgmodel.moc"
