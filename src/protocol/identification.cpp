#include "protocol/identification.h"

#include "common/appsettings.h"
#include "common/msgbox.h"
#include "common/pointer.h"
#include "common/waitms.h"
#include "link/hexcommand.h"
#include "link/link.h"
#include "protocol/commands.h"

namespace Common {

namespace {

// The operation's failure: the arrow from here to its end, the box, the flag.
void Fail(const QString& text, const QString& title)
{
    SetPointer(Pointer::Default);
    MsgBox(text, title);
    ErrorFlag = true;
}

void FailPrinterNotConfirmed()
{
    Fail(QStringLiteral("Faild to confirm the printer."), QStringLiteral("Printer ERROR!"));
}

void OpenUnlessKeptOpen()
{
    if (AppSettings.PortOpen)
        RenewKeptPort();
    else
        OpenPort();
}

void CloseUnlessKeptOpen()
{
    if (!AppSettings.PortOpen)
        ClosePort();
}

void Tell(const OutcomeHook& ended, Outcome outcome, const QString& value = {})
{
    if (ended)
        ended(outcome, value);
}

// Confirms the printer and sends one write transmission; a failed send is
// reported, the printer's pause after it is waited for either way.
void ConfirmAndWrite(const QString& transmission, int printerPauseMs, std::uint8_t modelId,
                     const OutcomeHook& ended)
{
    if (PrinterConfirmation(Confirmation::AllowOneWay, modelId)) {
        WaitMs(100);
        SendData(transmission);
        Tell(ended, ErrorFlag ? Outcome::RegistrationFailed : Outcome::Written);
        if (ErrorFlag)
            Fail(QStringLiteral("Failed to register the identification code."),
                 QStringLiteral("Registration ERROR!"));
        WaitMs(printerPauseMs);
    } else {
        Tell(ended, Outcome::PrinterNotConfirmed);
        FailPrinterNotConfirmed();
    }
    CloseUnlessKeptOpen();
}

// Confirms the printer and asks it for a value; the reply is taken apart by
// parse. The failure texts name the value.
std::optional<QString> ConfirmAndRead(const QString& query, std::uint8_t modelId,
                                      std::optional<QString> (*parse)(const QString&),
                                      const QString& notReceived, const QString& notConfirmed,
                                      const OutcomeHook& ended)
{
    std::optional<QString> value;
    if (PrinterConfirmation(Confirmation::AlwaysQuery, modelId)) {
        WaitMs(100);
        const QString reply = QueryStep(query);
        if (!reply.isEmpty())
            value = parse(reply);
        Tell(ended, value ? Outcome::Read : Outcome::ReadFailed, value.value_or(QString()));
        if (reply.isEmpty())
            Fail(notReceived, QStringLiteral("Receive Error!"));
        else if (!value)
            Fail(notConfirmed, QStringLiteral("Receive Error!"));
    } else {
        Tell(ended, Outcome::PrinterNotConfirmed);
        FailPrinterNotConfirmed();
    }
    CloseUnlessKeptOpen();
    return value;
}

} // namespace

QString QueryStep(const QString& query)
{
    SendData(query);
    if (ErrorFlag)
        return {};
    WaitMs(200);
    return ReceiveData();
}

bool PrinterConfirmation(Confirmation kind, std::uint8_t modelId)
{
    ErrorFlag = false;
    QString reply;
    if (kind == Confirmation::AlwaysQuery || AppSettings.TwoWayLink) {
        OpenUnlessKeptOpen();
        reply = QueryStep(QueryModelId);
    } else {
        // USB and the printer driver carry no replies: the selected model is
        // taken as the answer.
        reply = ByteToHex(modelId);
        OpenUnlessKeptOpen();
    }
    return IsModelIdReply(reply, modelId);
}

void WriteIdentificationCode(const QString& code, std::uint8_t modelId, const OutcomeHook& ended)
{
    ConfirmAndWrite(SerialNoTransmission(code), 2000, modelId, ended);
}

void WriteModelName(const QString& name, std::uint8_t modelId, const OutcomeHook& ended)
{
    ConfirmAndWrite(ModelNameTransmission(name), 4000, modelId, ended);
}

std::optional<QString> ReadIdentificationCode(std::uint8_t modelId, const OutcomeHook& ended)
{
    return ConfirmAndRead(QuerySerialNo, modelId, &SerialNoFromReply,
                          QStringLiteral("Faild to receive the identification data."),
                          QStringLiteral("Faild to confirm the identification data."), ended);
}

std::optional<QString> ReadModelName(std::uint8_t modelId, const OutcomeHook& ended)
{
    return ConfirmAndRead(QueryModelName, modelId, &ModelNameFromReply,
                          QStringLiteral("Faild to receive the Model name data."),
                          QStringLiteral("Faild to confirm the Model name data."), ended);
}

} // namespace Common
