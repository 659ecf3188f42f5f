// The interface settings dialog: loading from the settings record, the page
// switch, the Init buttons and "Set".
#include "dialogs/dlgifset.h"

#include "common/appsettings.h"
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

constexpr std::array<std::uint16_t, 6> BaudEntries{48, 96, 192, 384, 576, 1152};
constexpr int FirstVirtualOnlyEntry = 15; // COM16 and above are always virtual ports
constexpr int MaxLANPort = 9999;
constexpr int MaxOctet = 255;

int BaudEntry(std::uint16_t baud)
{
    for (std::size_t i = 0; i < BaudEntries.size(); ++i)
        if (BaudEntries[i] == baud)
            return static_cast<int>(i);
    return -1;
}

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

// Writes entry + offset into the field; no selection leaves the field as it was.
template <typename Field> void StoreEntry(const QComboBox* list, Field& field, int offset)
{
    if (list->currentIndex() >= 0)
        field = static_cast<Field>(list->currentIndex() + offset);
}

} // namespace

// ---- Load -----------------------------------------------------------------

void DlgIFSet::Form_Load()
{
    fillPortLists();
    selectSerialEntries();
    showLANFields();
    selectWinDevice();
    if (AppSettings.PortOpen)
        ChkAlwaysOpen->setChecked(true);
    SelectEntry(CboIF, InterfaceEntry(AppSettings.Interface));
}

void DlgIFSet::fillPortLists()
{
    QStringList comPorts;
    for (int port = 1; port <= 99; ++port)
        comPorts << QStringLiteral(" COM%1:").arg(port);
    FillList(CboCOMPort, comPorts);

    QStringList usbPorts;
    for (int port = 1; port <= 15; ++port)
        usbPorts << QStringLiteral(" USB%1").arg(port, 3, 10, QLatin1Char('0'));
    FillList(CboUSBPort, usbPorts);

    QStringList devices;
    const int count = qMin<int>(AppSettings.WinPrinterCount, LstWinDrv.size());
    for (int k = 0; k < count; ++k)
        devices << QStringLiteral(" ") + LstWinDrv.at(k);
    FillList(CboWinDevice, devices);
}

void DlgIFSet::selectSerialEntries()
{
    SelectEntry(CboCOMPort, AppSettings.COMPort - 1);
    SelectEntry(CboCOMBaud, BaudEntry(AppSettings.COMBaud));
    SelectEntry(CboCOMBitLen, AppSettings.COMBits - 7);
    SelectEntry(CboCOMStopBit, AppSettings.COMStop - 1);
    SelectEntry(CboCOMParity, AppSettings.COMParity);
    SelectEntry(CboCOMFlow, AppSettings.COMFlow);
    SelectEntry(CboLPTPort, AppSettings.LPTPort - 1);
    SelectEntry(CboUSBPort, AppSettings.USBPort - 1);
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
    if (CboCOMPort->currentIndex() >= FirstVirtualOnlyEntry) {
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

void DlgIFSet::initSerialPage()
{
    SelectEntry(CboCOMPort, 0);    // COM1
    SelectEntry(CboCOMBaud, 2);    // 19,200 bps
    SelectEntry(CboCOMParity, 0);  // None
    SelectEntry(CboCOMBitLen, 1);  // 8 bits
    SelectEntry(CboCOMStopBit, 0); // 1 bit
    SelectEntry(CboCOMFlow, 0);    // DTR/DSR
    ChkVirCOM->setChecked(false);
}

void DlgIFSet::initParallelPage()
{
    SelectEntry(CboLPTPort, 0);
}

void DlgIFSet::initUSBPage()
{
    SelectEntry(CboUSBPort, 0);
}

void DlgIFSet::initLANPage()
{
    const QStringList address{QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("1"),
                              QStringLiteral("1")};
    for (std::size_t k = 0; k < TxtIPAddr.size(); ++k)
        TxtIPAddr[k]->setText(address.at(static_cast<int>(k)));
    TxtLANPort->setText(QStringLiteral("9100"));
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
    if (text.isEmpty() || text.size() > 4)
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
    if (port < 0 || port > MaxLANPort)
        return false;
    for (const QLineEdit* box : TxtIPAddr) {
        const std::int16_t octet = ParseDigits(box->text());
        if (octet < 0 || octet > MaxOctet)
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
    StoreEntry(CboCOMPort, AppSettings.COMPort, 1);
    if (CboCOMBaud->currentIndex() >= 0)
        AppSettings.COMBaud = BaudEntries[static_cast<std::size_t>(CboCOMBaud->currentIndex())];
    StoreEntry(CboCOMParity, AppSettings.COMParity, 0);
    StoreEntry(CboCOMBitLen, AppSettings.COMBits, 7);
    StoreEntry(CboCOMStopBit, AppSettings.COMStop, 1);
    if (CboCOMFlow->currentIndex() >= 0)
        AppSettings.COMFlow = CboCOMFlow->currentIndex() == 0 ? 0 : 1;
    if (CboLPTPort->currentIndex() >= 0) {
        StoreEntry(CboLPTPort, AppSettings.LPTPort, 1);
        AppSettings.LPTAddress = LptBaseAddress(AppSettings.LPTPort);
    }
    StoreEntry(CboUSBPort, AppSettings.USBPort, 1);
}

void DlgIFSet::storeLAN()
{
    // Off the LAN page a field that holds no valid number is passed over
    // silently and the stored value stays.
    const std::int16_t port = ParseDigits(TxtLANPort->text());
    if (port >= 0 && port <= MaxLANPort)
        AppSettings.LANPort = static_cast<std::uint16_t>(port);
    QStringList octets;
    for (std::size_t k = 0; k < TxtIPAddr.size(); ++k) {
        const std::int16_t octet = ParseDigits(TxtIPAddr[k]->text());
        if (octet >= 0 && octet <= MaxOctet)
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
