#include "dialogs/frmrecord.h"

#include "common/msgbox.h"
#include "record/csv.h"
#include "record/recordstore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>

namespace {

// Columns of RecordStore::LatestQuery.
enum Column { ColLocalTime = 1, ColStation = 3, ColValue = 8, ColOutcome = 9 };

const Common::Outcome AllOutcomes[] = {
    Common::Outcome::Written, Common::Outcome::PrinterNotConfirmed,
    Common::Outcome::RegistrationFailed, Common::Outcome::Read, Common::Outcome::ReadFailed};

} // namespace

void RecordFilter::setFilters(const QString& code, const QString& station, const QString& outcome,
                              const QString& day)
{
    code_ = code;
    station_ = station;
    outcome_ = outcome;
    day_ = day;
    invalidateFilter();
}

bool RecordFilter::filterAcceptsRow(int row, const QModelIndex& parent) const
{
    auto text = [&](int column) {
        return sourceModel()->index(row, column, parent).data().toString();
    };
    return text(ColValue).contains(code_, Qt::CaseInsensitive) &&
           text(ColStation).contains(station_, Qt::CaseInsensitive) &&
           (outcome_.isEmpty() || text(ColOutcome) == outcome_) &&
           text(ColLocalTime).startsWith(day_);
}

FrmRecord::FrmRecord(const QSqlDatabase& db, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Record"));
    model_ = new QSqlQueryModel(this);
    model_->setQuery(QSqlQuery(Record::RecordStore::LatestQuery(LatestEntries), db));
    while (model_->canFetchMore())
        model_->fetchMore();
    const QStringList titles = Record::RecordStore::ColumnTitles();
    for (int c = 0; c < titles.size(); ++c)
        model_->setHeaderData(c, Qt::Horizontal, titles.at(c));
    filter_ = new RecordFilter(this);
    filter_->setSourceModel(model_);
    createControls();
    initConnections();
    if (model_->lastError().isValid())
        Common::MsgBox(model_->lastError().text(), QStringLiteral("Record ERROR!"));
}

void FrmRecord::createControls()
{
    TxtCode = new QLineEdit(this);
    TxtStation = new QLineEdit(this);
    CboOutcome = new QComboBox(this);
    CboOutcome->addItem(QString());
    for (Common::Outcome outcome : AllOutcomes)
        CboOutcome->addItem(Record::OutcomeWord(outcome));
    ChkDate = new QCheckBox(QStringLiteral("Day:"), this);
    DtpDate = new QDateEdit(QDate::currentDate(), this);
    DtpDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    DtpDate->setCalendarPopup(true);
    GrdEntries = new QTableView(this);
    GrdEntries->setModel(filter_);
    GrdEntries->setSortingEnabled(true);
    GrdEntries->setSelectionBehavior(QAbstractItemView::SelectRows);
    GrdEntries->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    CmdExport = new QPushButton(QStringLiteral("Export CSV ..."), this);
    CmdClose = new QPushButton(QStringLiteral("Close"), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Code:"), this), 0, 0);
    grid->addWidget(TxtCode, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Station:"), this), 0, 2);
    grid->addWidget(TxtStation, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Outcome:"), this), 0, 4);
    grid->addWidget(CboOutcome, 0, 5);
    grid->addWidget(ChkDate, 0, 6);
    grid->addWidget(DtpDate, 0, 7);
    grid->addWidget(GrdEntries, 1, 0, 1, 8);
    grid->addWidget(CmdExport, 2, 6);
    grid->addWidget(CmdClose, 2, 7);
    resize(1000, 500);
}

void FrmRecord::initConnections()
{
    connect(TxtCode, &QLineEdit::textChanged, this, &FrmRecord::Filter_Change);
    connect(TxtStation, &QLineEdit::textChanged, this, &FrmRecord::Filter_Change);
    connect(CboOutcome, &QComboBox::currentTextChanged, this, &FrmRecord::Filter_Change);
    connect(ChkDate, &QCheckBox::toggled, this, &FrmRecord::Filter_Change);
    connect(DtpDate, &QDateEdit::dateChanged, this, &FrmRecord::Filter_Change);
    connect(CmdExport, &QPushButton::clicked, this, &FrmRecord::CmdExport_Click);
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

void FrmRecord::Filter_Change()
{
    const QString day =
        ChkDate->isChecked() ? DtpDate->date().toString(QStringLiteral("yyyy-MM-dd")) : QString();
    filter_->setFilters(TxtCode->text(), TxtStation->text(), CboOutcome->currentText(), day);
}

QString FrmRecord::exportTo(const QString& path) const
{
    QString text = Record::CsvLine(Record::RecordStore::ColumnTitles());
    for (int row = 0; row < filter_->rowCount(); ++row) {
        QStringList fields;
        for (int c = 0; c < filter_->columnCount(); ++c)
            fields << filter_->index(row, c).data().toString();
        text += Record::CsvLine(fields);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        return file.errorString();
    return {};
}

void FrmRecord::CmdExport_Click()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export CSV"),
                                                      QStringLiteral("record.csv"),
                                                      QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    const QString failure = exportTo(path);
    if (!failure.isEmpty())
        Common::MsgBox(path + QStringLiteral(": ") + failure, QStringLiteral("ERROR!"));
}
