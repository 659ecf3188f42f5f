#pragma once
// The identification configuration dialog: the layout of the identification
// code (where its number starts, how many digits it has), the code itself,
// the automatic advance and two fill settings. It opens with placeholder
// values, shows the current settings 300 ms later, and writes them back only
// when "Set" finds them consistent.

#include <QDialog>
#include <QTimer>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class DlgSNCfg : public QDialog {
    Q_OBJECT
public:
    explicit DlgSNCfg(QWidget* parent = nullptr);
    ~DlgSNCfg() override;

    // Controls, named as on the form. LblComment: 0 "First Identification
    // Mode", then the captions of the five lists in their order below.
    std::array<QLabel*, 6> LblComment{};
    QComboBox* CboColumns = nullptr;
    QLineEdit* TxtSNo = nullptr;
    QComboBox* CboStartNum = nullptr;
    QComboBox* CboNumLen = nullptr;
    QComboBox* CboSpcChar = nullptr;
    QComboBox* CboAlign = nullptr;
    QCheckBox* ChkAutoInc = nullptr;
    QPushButton* CmdSet = nullptr;
    QPushButton* CmdCancel = nullptr;
    QTimer TmrInitSet;

    // Event handlers.
    void Form_Load();
    void CboColumns_Click();
    void TmrInitSet_Timer();
    void TxtSNo_Change();
    void CmdSet_Click();
    void CmdCancel_Click();

private:
    void createControls();
    void createLayout();
    void initConnections();
    QLabel* makeLabel(int index, const QString& caption);
    bool entriesConsistent() const;
    QString numberPart() const;
    void storeSettings();
};
