#include "common/appsettings.h"

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

} // namespace Common
