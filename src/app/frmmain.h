#pragma once
// The main window: the identification code and model-name fields with their
// buttons, the menus that open the dialogs, the port-condition LED and the
// hidden timers. Procedures of the Common module reach its controls through
// MainForm(), as they would a form's controls.

#include "common/waitms.h"
#include "protocol/identification.h"
#include "record/recordstore.h"

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <memory>
#include <optional>

class QAction;
class QApplication;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace Common {
class LedIndicator;
class ClickableLabel;
} // namespace Common

class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;

    // Controls, named as the operator-facing form names them. Owned by the
    // window through Qt's parent-child ownership.
    std::array<QLabel*, 3> LblComment{}; // 0 "Model Name:", 1 code caption, 2 "Interface:"
    QLineEdit* TxtSNo = nullptr;
    QPushButton* CmdSetSNo = nullptr;
    QPushButton* CmdGetSNo = nullptr;
    QPushButton* CmdNumInc = nullptr;
    QPushButton* CmdSNoBack = nullptr;
    QLabel* LblAutoInc = nullptr;
    QLineEdit* TxtModelName = nullptr;
    QPushButton* CmdRegModel = nullptr;
    QPushButton* CmdGetModel = nullptr;
    Common::ClickableLabel* LblModelID = nullptr;
    QLabel* LblIFInfo = nullptr;
    Common::LedIndicator* LEDPortCondition = nullptr;
    QFrame* Line1 = nullptr;
    QLabel* LblRecord = nullptr; // the store in use, in the status line; none with the record off
    QTimer TmrPortCheck;
    Common::WaitTimer TmrWait;

    QMenu* MnuFile = nullptr;
    QAction* MnuFileRecord = nullptr; // shown while the record is on
    QAction* MnuFileS1 = nullptr;
    QAction* MnuFileExit = nullptr;
    QMenu* MnuSet = nullptr;
    QAction* MnuSetIF = nullptr;
    QAction* MnuSetS1 = nullptr;
    QAction* MnuSetModel = nullptr;
    QAction* MnuSetS2 = nullptr;
    QAction* MnuSetSNo = nullptr;
    QAction* MnuSetSS = nullptr;
    QAction* MnuSetModelName = nullptr;
    QMenu* MnuHelp = nullptr;
    QAction* MnuHelpVersion = nullptr;
    QAction* MnuHelpS1 = nullptr;
    QAction* MnuHelpNotice = nullptr;

    // The button Enter triggers, as a dialog's default button.
    void SetDefaultButton(QPushButton* button);
    QPushButton* DefaultButton() const { return defaultButton_; }

    // Event handlers.
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void TmrPortCheck_Timer();
    void MnuFileRecord_Click();
    void MnuFileExit_Click();
    void MnuSetIF_Click();
    void MnuSetModel_Click();
    void MnuSetSNo_Click();
    void MnuSetModelName_Click();
    void MnuHelpVersion_Click();
    void MnuHelpNotice_Click();
    void TxtSNo_Change();
    void CmdNumInc_Click();
    void CmdSNoBack_Click();
    void CmdSetSNo_Click();
    void CmdGetSNo_Click();
    void CmdRegModel_Click();
    void CmdGetModel_Click();
    void LblModelID_Click();
    void TxtModelName_Change();

    // True once the load handler found another instance running.
    bool AnotherInstanceRunning() const { return anotherInstance_; }

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void createControls();
    void createMenus();
    void initConnections();
    void enterProgramErrorState();
    void fillFromSettings();
    // Saves the settings after a code went into a printer.
    void saveProgress();

    // The production record (frmmain_record.cpp).
    struct CodeClaim {
        bool proceed = true;                // false: nothing may be sent
        std::optional<Record::Claim> claim; // none with the record off
    };
    void openRecord();
    CodeClaim claimCode(const QString& code);
    void showNextFreeCode(const QString& code, const QString& station);
    Record::Entry recordEntry(Record::Operation operation, const QString& value,
                              Common::Outcome outcome) const;
    // Records how an operation ended; a write's value is written, a read's
    // is what came back.
    Common::OutcomeHook recordHook(Record::Operation operation, const QString& written = {},
                                   const std::optional<Record::Claim>& claim = {});

    QPushButton* defaultButton_ = nullptr;
    bool anotherInstance_ = false;
    bool unloaded_ = false;
    bool progressSaveFailing_ = false; // its message was shown; not again until a save works
    std::unique_ptr<Record::RecordStore> record_; // none with the record off
};

namespace Common {
// The main window the Common procedures act on.
FrmMain& MainForm();
bool HasMainForm();
} // namespace Common

// Starts the program: single-instance test, main window, event loop.
int RunZentab(QApplication& app);
