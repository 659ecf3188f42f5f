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

} // namespace Common
