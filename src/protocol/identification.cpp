#include "protocol/identification.h"

#include "app/busystate.h"
#include "app/frmmain.h"
#include "app/modelname.h"
#include "app/pointer.h"
#include "app/serialnumber.h"
#include "app/textbox.h"
#include "app/waitms.h"
#include "app/wincolour.h"
#include "link/hexcommand.h"
#include "link/link.h"
#include "protocol/commands.h"
#include "settings/appsettings.h"

#include <QLineEdit>
#include <QPushButton>

namespace Common {

namespace {

void Fail(const QString& text, const QString& title)
{
    BusyMsgBox(text, title);
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

// Sends one write transmission; a failed send is reported, the printer's
// pause after it is waited for either way.
void SendWrite(const QString& transmission, int printerPauseMs)
{
    WaitMs(100);
    SendData(transmission);
    if (ErrorFlag)
        Fail(QStringLiteral("Failed to register the identification code."),
             QStringLiteral("Registration ERROR!"));
    WaitMs(printerPauseMs);
}

// Shows a value read from the printer, whole: the text box's change handler
// runs, then the text turns red.
void ShowReadValue(QLineEdit* box, const QString& value, int typingLimit)
{
    SetBoxText(box, value, typingLimit);
    WaitMs(100);
    SetForeColor(box, ColourRed);
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

bool PrinterConfirmation(Confirmation kind)
{
    ErrorFlag = false;
    QString reply;
    if (kind == Confirmation::AlwaysQuery || AppSettings.TwoWayLink) {
        OpenUnlessKeptOpen();
        reply = QueryStep(QueryModelId);
    } else {
        // USB and the printer driver carry no replies: the selected model is
        // taken as the answer.
        reply = ByteToHex(ModelId);
        OpenUnlessKeptOpen();
    }
    return IsModelIdReply(reply);
}

void WriteIdentificationCode()
{
    FrmMain& form = MainForm();
    SetForeColor(form.TxtSNo, ColourBlack);
    {
        // The black code is painted, but a second Enter already queued must
        // not start a second write inside this one.
        WindowHold hold;
        DoEvents();
    }
    {
        BusyState busy;
        if (PrinterConfirmation(Confirmation::AllowOneWay))
            SendWrite(SerialNoTransmission(form.TxtSNo->text()), 2000);
        else
            FailPrinterNotConfirmed();
        CloseUnlessKeptOpen();
    }
    AppSettings.SerialNo = form.TxtSNo->text();
    UpdateSerialNumber(1);
}

void WriteModelName()
{
    FrmMain& form = MainForm();
    BusyState busy;
    if (PrinterConfirmation(Confirmation::AllowOneWay))
        SendWrite(ModelNameTransmission(form.TxtModelName->text()), 4000);
    else
        FailPrinterNotConfirmed();
    CloseUnlessKeptOpen();
}

void ReadIdentificationCode()
{
    FrmMain& form = MainForm();
    form.CmdNumInc->hide();
    BusyState busy;
    if (PrinterConfirmation(Confirmation::AlwaysQuery)) {
        WaitMs(100);
        const QString reply = QueryStep(QuerySerialNo);
        if (reply.isEmpty())
            Fail(QStringLiteral("Faild to receive the identification data."),
                 QStringLiteral("Receive Error!"));
        else if (const auto code = SerialNoFromReply(reply))
            ShowReadValue(form.TxtSNo, *code, AppSettings.SNoLength);
        else
            Fail(QStringLiteral("Faild to confirm the identification data."),
                 QStringLiteral("Receive Error!"));
    } else {
        FailPrinterNotConfirmed();
    }
    CloseUnlessKeptOpen();
}

void ReadModelName()
{
    FrmMain& form = MainForm();
    BusyState busy;
    if (PrinterConfirmation(Confirmation::AlwaysQuery)) {
        WaitMs(100);
        const QString reply = QueryStep(QueryModelName);
        if (reply.isEmpty())
            Fail(QStringLiteral("Faild to receive the Model name data."),
                 QStringLiteral("Receive Error!"));
        else if (const auto name = ModelNameFromReply(reply))
            ShowReadValue(form.TxtModelName, *name, ModelNameTypingLimit);
        else
            Fail(QStringLiteral("Faild to confirm the Model name data."),
                 QStringLiteral("Receive Error!"));
    } else {
        FailPrinterNotConfirmed();
    }
    CloseUnlessKeptOpen();
}

} // namespace Common
