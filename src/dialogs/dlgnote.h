#pragma once
// The notice dialog: a fixed page of usage notes, shown as a welcome page at
// the first start and from the Help menu. It tells the two apart by
// DialogCancelled: False at the first start, True from the menu.

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

class DlgNote : public QDialog {
    Q_OBJECT
public:
    explicit DlgNote(QWidget* parent = nullptr);

    QLabel* LblNote = nullptr;
    QPushButton* CmfClose = nullptr;

    void Form_Load();
    void CmfClose_Click();

    // The page with CR LF line breaks; the first-start page opens with a
    // request to read it.
    static QString NoticeText(bool firstStart);
};
