// The main window's side of the production record: the store named in the
// status line, the claim of a code before "Set S/No." sends it, and an entry
// for every operation, recorded before its result is shown.
#include "app/frmmain.h"

#include "app/serialnumber.h"
#include "common/appsettings.h"
#include "common/msgbox.h"
#include "common/textbox.h"
#include "dialogs/frmrecord.h"
#include "settings/interfaceinfo.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

using namespace Common;
using namespace Record;

namespace {

const QString RecordErrorTitle = QStringLiteral("Record ERROR!");
const QString DuplicateTitle = QStringLiteral("Duplicate code");

QString DuplicateText(const QString& code, const AlreadyWritten& written)
{
    return QStringLiteral("The code %1 was written on %2 at station %3.\r\nWrite it again?")
        .arg(code, written.when, written.station);
}

ClaimResult AsClaimResult(std::variant<Claimed, StoreError> result)
{
    return std::visit([](auto&& value) -> ClaimResult { return value; }, std::move(result));
}

} // namespace

void FrmMain::openRecord()
{
    const RecordSettings settings = ReadRecordSettings(DataFolder);
    if (settings.store == StoreKind::Off)
        return; // the window stays as it always was
    record_ = std::make_unique<RecordStore>(settings);
    LblRecord = new QLabel(record_->statusText(), this);
    LblRecord->setObjectName(QStringLiteral("LblRecord"));
    statusBar()->addWidget(LblRecord);
    MnuFileRecord->setVisible(true);
    MnuFileS1->setVisible(true);
    // A store that cannot be used is named in the status line; the message
    // comes with the first operation, which then sends nothing.
    if (const std::optional<StoreError> error = record_->open()) {
        LblRecord->setText(record_->statusText() + QStringLiteral(" (not available)"));
        LblRecord->setToolTip(error->text());
    }
}

void FrmMain::MnuFileRecord_Click()
{
    if (!record_)
        return;
    if (const std::optional<StoreError> error = record_->open()) {
        MsgBox(error->text(), RecordErrorTitle);
        return;
    }
    FrmRecord viewer(record_->database(), this);
    viewer.exec();
}

Entry FrmMain::recordEntry(Operation operation, const QString& value, Outcome outcome) const
{
    QStringList line = InterfaceInfoText(AppSettings).split(QStringLiteral("\r\n"));
    for (QString& part : line)
        part = part.simplified();
    return Entry{operation, line.join(QStringLiteral(", ")), ModelId, AppSettings.ModelName, value,
                 outcome};
}

OutcomeHook FrmMain::recordHook(Operation operation, const QString& written,
                                const std::optional<Claim>& claim)
{
    if (!record_)
        return {};
    return [this, operation, written, claim](Outcome outcome, const QString& read) {
        const std::optional<StoreError> error =
            claim
                ? record_->finish(*claim, outcome)
                : record_->add(recordEntry(operation, written.isEmpty() ? read : written, outcome));
        if (error)
            MsgBox(error->text(), RecordErrorTitle);
    };
}

FrmMain::CodeClaim FrmMain::claimCode(const QString& code)
{
    if (!record_)
        return {};
    const Entry entry = recordEntry(Operation::SetSNo, code, Outcome::Written);
    ClaimResult result = record_->claim(entry);
    if (const auto* written = std::get_if<AlreadyWritten>(&result)) {
        // Enter and Escape both answer No: a second printer with this code
        // takes a deliberate Yes.
        if (!MsgBoxYesNo(DuplicateText(code, *written), DuplicateTitle))
            return {false, std::nullopt};
        result = AsClaimResult(record_->claimAgain(entry));
    }
    if (const auto* claimed = std::get_if<Claimed>(&result))
        return {true, claimed->claim};
    if (const auto* taken = std::get_if<TakenByOther>(&result))
        showNextFreeCode(code, taken->station);
    else
        MsgBox(std::get<StoreError>(result).text() +
                   QStringLiteral("\r\nNothing was sent to the printer."),
               RecordErrorTitle);
    return {false, std::nullopt};
}

void FrmMain::showNextFreeCode(const QString& code, const QString& station)
{
    const AppSettingsRecord& s = AppSettings;
    QString text =
        QStringLiteral("The code %1 has just been claimed by station %2.").arg(code, station);
    std::int32_t n = ReadNumberPart(code, s.SNoNumCol, s.SNoNumLen);
    std::int32_t end = 1;
    for (int d = 0; d < s.SNoNumLen; ++d)
        end *= 10;
    while (++n < end) {
        const QString next = WithNumberPart(code, s.SNoNumCol, s.SNoNumLen, n);
        const std::variant<bool, StoreError> held = record_->isHeld(next);
        if (const auto* error = std::get_if<StoreError>(&held)) {
            MsgBox(error->text(), RecordErrorTitle);
            return;
        }
        if (!std::get<bool>(held)) {
            AppSettings.SerialNo = next;
            SetBoxText(TxtSNo, next, s.SNoLength);
            MsgBox(text + QStringLiteral("\r\nThe next free code, %1, is shown: press Enter to "
                                         "write it.")
                              .arg(next),
                   DuplicateTitle);
            return;
        }
    }
    MsgBox(text + QStringLiteral("\r\nNo later code is free."), DuplicateTitle);
}
