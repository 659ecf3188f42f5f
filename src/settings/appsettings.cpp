#include "settings/appsettings.h"

#include "link/portio.h"
#include "settings/printercatalog.h"

#include <QDir>

namespace Common {

AppSettingsRecord AppSettings;
ModelListRecord ModelList;

bool ErrorFlag = true;
bool DialogCancelled = false;
bool SplashMode = false;
bool WaitPending = false;
std::uint8_t HistoryCount = 0;
std::uint8_t ModelId = 0;
QString DataFolder;
QStringList LstWinDrv;
QStringList LstWinDrvPorts;

std::uint16_t LptBaseAddress(std::uint8_t lptPort)
{
    switch (lptPort) {
    case 2:
        return 0x278;
    case 3:
        return 0x3BC;
    default:
        return 0x378;
    }
}

namespace {

void ApplyDefaults()
{
    // A fresh record carries every default; assigning it field by field in
    // the documented order would say the same thing at greater length.
    const QString dataFolder = DataFolder;
    AppSettings = AppSettingsRecord{};
    HistoryCount = 0;
    DataFolder = dataFolder;
}

void ListInstalledPrinters()
{
    LstWinDrv.clear();
    LstWinDrvPorts.clear();
    AppSettings.WinPrinterCount = 0;
    for (const InstalledPrinter& printer : ActivePrinterCatalog().installedPrinters()) {
        if (LstWinDrv.size() >= 255)
            break; // the count is one byte
        LstWinDrv.append(printer.name);
        LstWinDrvPorts.append(printer.deviceUri);
    }
    AppSettings.WinPrinterCount = static_cast<std::uint8_t>(LstWinDrv.size());
}

} // namespace

void InitGlobals()
{
    ErrorFlag = true;
    DataFolder = QDir::currentPath();
    WaitPending = false;
    InitializeWinIo();
    ApplyDefaults();
    ListInstalledPrinters();
}

} // namespace Common
