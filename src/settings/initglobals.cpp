// Start-up of the settings: every field to its default, port I/O started,
// the installed printers listed.
#include "settings/initglobals.h"

#include "common/appsettings.h"
#include "link/portio.h"
#include "settings/printercatalog.h"

#include <QDir>

namespace Common {

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
