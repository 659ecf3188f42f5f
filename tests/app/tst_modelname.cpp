// The model identifier and the model-name controls of the main window.

#include "appfixture.h"

#include "app/clickablelabel.h"
#include "app/frmmain.h"
#include "app/modelname.h"
#include "app/wincolour.h"
#include "settings/appsettings.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Common;

class TestModelName : public QObject {
    Q_OBJECT

    std::unique_ptr<AppTest::Environment> env_;
    std::unique_ptr<FrmMain> form_;

    FrmMain& form() { return *form_; }
    bool editing()
    {
        return form().MnuSetModelName->isChecked() && !form().TxtModelName->isReadOnly() &&
               form().CmdRegModel->isVisible() && form().CmdGetModel->isVisible();
    }
    bool editingOff()
    {
        return !form().MnuSetModelName->isChecked() && form().TxtModelName->isReadOnly() &&
               !form().CmdRegModel->isVisible() && !form().CmdGetModel->isVisible();
    }
    void selectModel(std::uint8_t id, std::uint8_t interfaceKind)
    {
        ModelList = ModelListRecord{};
        ModelList.ModelCount = 2;
        ModelList.ModelIds.at(0) = 0x20;
        ModelList.ModelIds.at(1) = id;
        ModelList.ModelIndex = 2;
        AppSettings.Interface = interfaceKind;
        AppSettings.ModelName = QStringLiteral("ZX-Q20");
        ApplySelectedModel();
    }

private Q_SLOTS:
    void initTestCase() { env_ = std::make_unique<AppTest::Environment>(); }
    void cleanupTestCase() { env_.reset(); }

    void init()
    {
        env_->install();
        AppSettings = AppSettingsRecord{};
        form_ = std::make_unique<FrmMain>();
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }
    void cleanup() { form_.reset(); }

    void applySelectedModel_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("interfaceKind");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("51h on virtual COM") << 0x51 << int(VirtualCom) << true;
        QTest::newRow("51h on serial") << 0x51 << int(Serial) << false;
        QTest::newRow("51h on USB") << 0x51 << int(USB) << false;
        QTest::newRow("other model on virtual COM") << 0x35 << int(VirtualCom) << false;
        QTest::newRow("lower-case q") << 0x71 << int(VirtualCom) << false;
    }
    void applySelectedModel()
    {
        QFETCH(int, id);
        QFETCH(int, interfaceKind);
        QFETCH(bool, allowed);
        form().MnuSetModelName->trigger(); // editing on before: the refresh switches it off
        selectModel(std::uint8_t(id), std::uint8_t(interfaceKind));
        QCOMPARE(ModelId, std::uint8_t(id));
        QCOMPARE(form().TxtModelName->text(), QStringLiteral("ZX-Q20"));
        QCOMPARE(form().MnuSetModelName->isEnabled(), allowed);
        QVERIFY(editingOff());
    }

    void menuSwitchesEditing()
    {
        selectModel(0x51, VirtualCom);
        form().MnuSetModelName->trigger();
        QVERIFY(editing());
        form().MnuSetModelName->trigger();
        QVERIFY(editingOff());
        form().MnuSetModelName->trigger();
        RefreshModelNameControls(); // a new interface or model switches it off
        QVERIFY(editingOff());
        QVERIFY(form().MnuSetModelName->isEnabled());
    }

    void nameLengthEnablesSetModelName()
    {
        selectModel(0x51, VirtualCom);
        form().MnuSetModelName->trigger();
        QLineEdit* box = form().TxtModelName;
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("ABCD"));
        QVERIFY(!form().CmdRegModel->isEnabled());
        form().SetDefaultButton(form().CmdSetSNo);
        QTest::keyClicks(box, QStringLiteral("E"));
        QVERIFY(form().CmdRegModel->isEnabled());
        QCOMPARE(form().DefaultButton(), form().CmdRegModel);

        SetForeColor(box, ColourRed); // as after reading the name from the printer
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(ForeColor(box), std::uint32_t(ColourBlack));
        QVERIFY(!form().CmdRegModel->isEnabled());
    }

    void peekAtTheModelId()
    {
        ModelId = 0x0A;
        SetWaitScaleForTests(100);
        QString captionDuringWait;
        bool enabledDuringWait = true;
        QTimer::singleShot(1000, this, [&] {
            captionDuringWait = form().LblModelID->text();
            enabledDuringWait = form().isEnabled();
        });
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(form().LblModelID, Qt::LeftButton);
        const qint64 elapsed = clock.elapsed();
        SetWaitScaleForTests(5);
        QCOMPARE(captionDuringWait, QStringLiteral("0A"));
        QVERIFY(!enabledDuringWait);
        QVERIFY2(elapsed >= 2000, qPrintable(QString::number(elapsed)));
        QVERIFY(form().LblModelID->text().isEmpty());
        QVERIFY(form().isEnabled());
    }

    void peekShowsTwoUpperCaseDigits()
    {
        ModelId = 0xAF;
        QString caption;
        QTimer::singleShot(0, this, [&] { caption = form().LblModelID->text(); });
        form().LblModelID_Click();
        QCOMPARE(caption, QStringLiteral("AF"));
    }
};

QTEST_MAIN(TestModelName)
#include "tst_modelname.moc"
