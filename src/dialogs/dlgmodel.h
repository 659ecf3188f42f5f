#pragma once
// The model selection dialog: lists the models read from the model data file
// and records the operator's choice in ModelName and ModelIndex. The main
// window applies the choice afterwards.

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

class DlgModel : public QDialog {
    Q_OBJECT
public:
    explicit DlgModel(QWidget* parent = nullptr);

    // Controls, named as on the form.
    QLabel* LblCOmment = nullptr;
    QListWidget* LstModel = nullptr;
    QPushButton* CmdSet = nullptr;
    QPushButton* CmdCancel = nullptr;

    void Form_Load();
    void CmdSet_Click();
    void CmdCancel_Click();

private:
    void createControls();
    void initConnections();
};
