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

// Confirms the printer and sends one write transmission; a failed send is
// reported, the printer's pause after it is waited for either way.
void ConfirmAndWrite(const QString& transmission, int printerPauseMs, std::uint8_t modelId)
{
    if (PrinterConfirmation(Confirmation::AllowOneWay, modelId)) {
        WaitMs(100);
        SendData(transmission);
        if (ErrorFlag)
            Fail(QStringLiteral("Failed to register the identification code."),
                 QStringLiteral("Registration ERROR!"));
        WaitMs(printerPauseMs);
    } else {
        FailPrinterNotConfirmed();
    }
    CloseUnlessKeptOpen();
}

// Confirms the printer and asks it for a value; the reply is taken apart by
// parse. The failure texts name the value.
std::optional<QString> ConfirmAndRead(const QString& query, std::uint8_t modelId,
                                      std::optional<QString> (*parse)(const QString&),
                                      const QString& notReceived, const QString& notConfirmed)
{
    std::optional<QString> value;
    if (PrinterConfirmation(Confirmation::AlwaysQuery, modelId)) {
        WaitMs(100);
        const QString reply = QueryStep(query);
        if (reply.isEmpty())
            Fail(notReceived, QStringLiteral("Receive Error!"));
        else if (!(value = parse(reply)))
            Fail(notConfirmed, QStringLiteral("Receive Error!"));
    } else {
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

void WriteIdentificationCode(const QString& code, std::uint8_t modelId)
{
    ConfirmAndWrite(SerialNoTransmission(code), 2000, modelId);
}

void WriteModelName(const QString& name, std::uint8_t modelId)
{
    ConfirmAndWrite(ModelNameTransmission(name), 4000, modelId);
}

std::optional<QString> ReadIdentificationCode(std::uint8_t modelId)
{
    return ConfirmAndRead(QuerySerialNo, modelId, &SerialNoFromReply,
                          QStringLiteral("Faild to receive the identification data."),
                          QStringLiteral("Faild to confirm the identification data."));
}

std::optional<QString> ReadModelName(std::uint8_t modelId)
{
    return ConfirmAndRead(QueryModelName, modelId, &ModelNameFromReply,
                          QStringLiteral("Faild to receive the Model name data."),
                          QStringLiteral("Faild to confirm the Model name data."));
}

} // namespace Common
