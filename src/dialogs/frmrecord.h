#pragma once
// The record viewer ("File" > "Record ..."): the latest entries of the
// record, newest first, narrowed by code, station, outcome and day, and
// written out as CSV.

#include <QDialog>
#include <QSortFilterProxyModel>
#include <QSqlDatabase>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QSqlQueryModel;
class QTableView;

// Keeps the rows that match every filter set; an empty filter matches all.
class RecordFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setFilters(const QString& code, const QString& station, const QString& outcome,
                    const QString& day);

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    QString code_;
    QString station_;
    QString outcome_;
    QString day_; // "yyyy-MM-dd": the local day of the entry
};

class FrmRecord : public QDialog {
    Q_OBJECT
public:
    static constexpr int LatestEntries = 5000;

    FrmRecord(const QSqlDatabase& db, QWidget* parent = nullptr);

    QLineEdit* TxtCode = nullptr;
    QLineEdit* TxtStation = nullptr;
    QComboBox* CboOutcome = nullptr;
    QCheckBox* ChkDate = nullptr;
    QDateEdit* DtpDate = nullptr;
    QTableView* GrdEntries = nullptr;
    QPushButton* CmdExport = nullptr;
    QPushButton* CmdClose = nullptr;

    RecordFilter& filter() { return *filter_; }
    // Writes the rows shown as CSV with a title line; the failure, or an
    // empty text.
    QString exportTo(const QString& path) const;

    void Filter_Change();
    void CmdExport_Click();

private:
    void createControls();
    void initConnections();

    QSqlQueryModel* model_ = nullptr;
    RecordFilter* filter_ = nullptr;
};
