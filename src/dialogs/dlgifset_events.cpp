// The interface settings dialog: loading from the settings record, the page
// switch, the Init buttons and "Set".
#include "dialogs/dlgifset.h"

#include "common/appsettings.h"
#include "common/linkfacts.h"
#include "common/msgbox.h"
#include "dialogs/listcontrols.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Common;

namespace {

int InterfaceEntry(std::uint8_t kind)
{
    switch (kind) {
    case Serial:
    case VirtualCom:
        return DlgIFSet::SerialPage;
    case Parallel:
        return DlgIFSet::ParallelPage;
    case USB:
        return DlgIFSet::USBPage;
    case LAN:
        return DlgIFSet::LANPage;
    case WindowsDriver:
        return DlgIFSet::WinDrvPage;
    default:
        return -1;
    }
}

// One entry per port number, 1 to count, each carrying its number.
template <typename Caption> void FillPortList(QComboBox* list, int count, Caption caption)
{
    QStringList entries;
    for (int port = 1; port <= count; ++port)
        entries << caption(port);
    FillList(list, entries);
    for (int port = 1; port <= count; ++port)
        list->setItemData(port - 1, port);
}

// Selects the entry that carries the value, or nothing when none does.
void SelectValue(QComboBox* list, int value)
{
    SelectEntry(list, list->findData(value));
}

// Writes the selected entry's value into the field; no selection leaves the
// field as it was.
template <typename Field> void StoreValue(const QComboBox* list, Field& field)
{
    if (list->currentIndex() >= 0)
        field = static_cast<Field>(list->currentData().toInt());
}

} // namespace

// ---- Load -----------------------------------------------------------------

void DlgIFSet::Form_Load()
{
    fillPortLists();
    selectSerialEntries(AppSettings);
    SelectValue(CboLPTPort, AppSettings.LPTPort);
    SelectValue(CboUSBPort, AppSettings.USBPort);
    showLANFields();
    selectWinDevice();
    if (AppSettings.PortOpen)
        ChkAlwaysOpen->setChecked(true);
    SelectEntry(CboIF, InterfaceEntry(AppSettings.Interface));
}

void DlgIFSet::fillPortLists()
{
    FillPortList(CboCOMPort, MaxComPort,
                 [](int port) { return QStringLiteral(" COM%1:").arg(port); });
    FillPortList(CboUSBPort, MaxUsbPort, [](int port) {
        return QStringLiteral(" USB%1").arg(port, 3, 10, QLatin1Char('0'));
    });

    QStringList devices;
    const int count = qMin<int>(AppSettings.WinPrinterCount, LstWinDrv.size());
    for (int k = 0; k < count; ++k)
        devices << QStringLiteral(" ") + LstWinDrv.at(k);
    FillList(CboWinDevice, devices);
}

void DlgIFSet::selectSerialEntries(const AppSettingsRecord& s)
{
    SelectValue(CboCOMPort, s.COMPort);
    SelectValue(CboCOMBaud, s.COMBaud);
    SelectValue(CboCOMBitLen, s.COMBits);
    SelectValue(CboCOMStopBit, s.COMStop);
    SelectValue(CboCOMParity, s.COMParity);
    SelectValue(CboCOMFlow, s.COMFlow);
}

void DlgIFSet::showLANFields()
{
    TxtLANPort->setText(QString::number(AppSettings.LANPort));
    for (std::size_t k = 0; k < TxtIPAddr.size(); ++k)
        TxtIPAddr[k]->setText(QString::number(AppSettings.LANIPOctets[k]));
}

void DlgIFSet::selectWinDevice()
{
    if (AppSettings.WinPrinterCount == 0 || CboWinDevice->count() == 0) {
        CboWinDevice->setEnabled(false);
        LblWinPort->clear();
        return;
    }
    const QString wanted = AppSettings.WinDevice.toUpper();
    int found = 0;
    for (int i = 0; i < CboWinDevice->count(); ++i) {
        if (CboWinDevice->itemText(i).trimmed().toUpper() == wanted) {
            found = i;
            break;
        }
    }
    CboWinDevice->setEnabled(true);
    SelectEntry(CboWinDevice, found);
}

// ---- Selection handlers ---------------------------------------------------

void DlgIFSet::CboIF_Click()
{
    const int entry = CboIF->currentIndex();
    if (entry < 0 || entry >= PageCount)
        return;
    for (int page = 0; page < PageCount; ++page)
        frameOf(page)->hide();
    if (entry == SerialPage) {
        ChkVirCOM->setChecked(AppSettings.Interface == VirtualCom);
        // The stored interface may be plain Serial on a port that can only be
        // virtual; the box must not show a cleared tick it will not let go of.
        CboCOMPort_Click();
    }
    // The LAN and Windows Driver links are not ready for use yet.
    CmdSet->setEnabled(entry != LANPage && entry != WinDrvPage);
    frameOf(entry)->show();
}

void DlgIFSet::CboCOMPort_Click()
{
    if (CboCOMPort->currentData().toInt() >= FirstVirtualOnlyComPort) {
        ChkVirCOM->setChecked(true);
        ChkVirCOM->setEnabled(false);
    } else {
        ChkVirCOM->setEnabled(true);
    }
}

void DlgIFSet::CboWinDevice_Click()
{
    const QString wanted = CboWinDevice->currentText().trimmed().toUpper();
    LblWinPort->clear();
    for (int i = 0; i < LstWinDrv.size(); ++i) {
        if (LstWinDrv.at(i).toUpper() == wanted) {
            LblWinPort->setText(LstWinDrvPorts.value(i));
            return;
        }
    }
}

// ---- Init -----------------------------------------------------------------

void DlgIFSet::CmdInit_Click()
{
    switch (CboIF->currentIndex()) {
    case SerialPage:
        initSerialPage();
        break;
    case ParallelPage:
        initParallelPage();
        break;
    case USBPage:
        initUSBPage();
        break;
    case LANPage:
        initLANPage();
        break;
    case WinDrvPage:
        initWinDrvPage();
        break;
    default:
        break;
    }
}

void DlgIFSet::CmdInitAll_Click()
{
    initSerialPage();
    initParallelPage();
    initUSBPage();
    initLANPage();
    initWinDrvPage();
    ChkAlwaysOpen->setChecked(false);
    SelectEntry(CboIF, SerialPage);
}

// Each Init row puts its page back to what the dialog shows at a first start.
void DlgIFSet::initSerialPage()
{
    selectSerialEntries(AppSettingsRecord{});
    ChkVirCOM->setChecked(false);
}

void DlgIFSet::initParallelPage()
{
    SelectValue(CboLPTPort, AppSettingsRecord{}.LPTPort);
}

void DlgIFSet::initUSBPage()
{
    SelectValue(CboUSBPort, AppSettingsRecord{}.USBPort);
}

void DlgIFSet::initLANPage()
{
    for (std::size_t k = 0; k < TxtIPAddr.size(); ++k)
        TxtIPAddr[k]->setText(QString::number(DefaultLanAddress[k]));
    TxtLANPort->setText(QString::number(DefaultLanPort));
}

void DlgIFSet::initWinDrvPage()
{
    if (CboWinDevice->count() > 0)
        SelectEntry(CboWinDevice, 0);
}

// ---- Set and Cancel -------------------------------------------------------

std::int16_t DlgIFSet::ParseDigits(const QString& text)
{
    constexpr std::int16_t Invalid = 10000;
    // The boxes hold at most four characters; anything longer is no number
    // this dialog stores, and must not overflow the result.
    if (text.isEmpty() || text.size() > LanPortDigits)
        return Invalid;
    std::int16_t value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return Invalid;
        value = static_cast<std::int16_t>(value * 10 + (c.unicode() - '0'));
    }
    return value;
}

bool DlgIFSet::lanFieldsValid() const
{
    const std::int16_t port = ParseDigits(TxtLANPort->text());
    if (port < 0 || port > MaxLanPort)
        return false;
    for (const QLineEdit* box : TxtIPAddr) {
        const std::int16_t octet = ParseDigits(box->text());
        if (octet < 0 || octet > MaxLanOctet)
            return false;
    }
    return true;
}

void DlgIFSet::CmdSet_Click()
{
    // The LAN fields are checked before anything is written, so a refused
    // "Set" leaves the settings exactly as they were.
    if (chosenInterface() == LAN && !lanFieldsValid()) {
        MsgBox(QStringLiteral("Please confirm the LAN Port and IP Address."),
               QStringLiteral("LAN I/F Error!"));
        return;
    }
    storeSerialAndPorts();
    storeLAN();
    storeWinDriver();
    AppSettings.PortOpen = ChkAlwaysOpen->isChecked();
    DialogCancelled = false;
    accept();
}

std::uint8_t DlgIFSet::chosenInterface() const
{
    switch (CboIF->currentIndex()) {
    case SerialPage:
        return ChkVirCOM->isChecked() ? VirtualCom : Serial;
    case ParallelPage:
        return Parallel;
    case USBPage:
        return USB;
    case LANPage:
        return LAN;
    case WinDrvPage:
        return WindowsDriver;
    default:
        return AppSettings.Interface; // no selection: the interface stays
    }
}

void DlgIFSet::storeSerialAndPorts()
{
    AppSettings.Interface = chosenInterface();
    StoreValue(CboCOMPort, AppSettings.COMPort);
    StoreValue(CboCOMBaud, AppSettings.COMBaud);
    StoreValue(CboCOMParity, AppSettings.COMParity);
    StoreValue(CboCOMBitLen, AppSettings.COMBits);
    StoreValue(CboCOMStopBit, AppSettings.COMStop);
    StoreValue(CboCOMFlow, AppSettings.COMFlow);
    if (CboLPTPort->currentIndex() >= 0) {
        StoreValue(CboLPTPort, AppSettings.LPTPort);
        AppSettings.LPTAddress = LptBaseAddress(AppSettings.LPTPort);
    }
    StoreValue(CboUSBPort, AppSettings.USBPort);
}

void DlgIFSet::storeLAN()
{
    // Off the LAN page a field that holds no valid number is passed over
    // silently and the stored value stays.
    const std::int16_t port = ParseDigits(TxtLANPort->text());
    if (port >= 0 && port <= MaxLanPort)
        AppSettings.LANPort = static_cast<std::uint16_t>(port);
    QStringList octets;
    for (std::size_t k = 0; k < TxtIPAddr.size(); ++k) {
        const std::int16_t octet = ParseDigits(TxtIPAddr[k]->text());
        if (octet >= 0 && octet <= MaxLanOctet)
            AppSettings.LANIPOctets[k] = static_cast<std::uint8_t>(octet);
        octets << QString::number(AppSettings.LANIPOctets[k]);
    }
    AppSettings.LANIP = octets.join(QLatin1Char('.'));
}

void DlgIFSet::storeWinDriver()
{
    AppSettings.WinDevice = CboWinDevice->currentText().trimmed();
    AppSettings.WinPort = LblWinPort->text();
}

void DlgIFSet::CmdCancel_Click()
{
    reject();
}
