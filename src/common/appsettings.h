#pragma once
// The process-wide settings record and flags shared by every part of the
// program. One instance each, alive for the whole run, touched only on the
// window thread.

#include "common/linkfacts.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace Common {

// The printer interface. ActiveInterface uses NoInterface until an
// interface has been put into effect.
enum InterfaceKind : std::uint8_t {
    Serial = 0,
    Parallel = 1,
    USB = 2,
    LAN = 3,
    WindowsDriver = 4,
    VirtualCom = 5,
    NoInterface = 99,
};

struct AppSettingsRecord {
    // Interface and port
    std::uint8_t Interface = Serial;
    std::uint8_t ActiveInterface = NoInterface;
    std::uint8_t COMPort = 1;
    std::uint16_t COMBaud = 192; // baud rate / 100
    std::uint8_t COMBits = 8;
    std::uint8_t COMParity = 0; // 0 none, 1 odd, 2 even
    std::uint8_t COMStop = 1;
    std::uint8_t COMFlow = 0; // 0 DTR/DSR, otherwise Xon/Xoff
    std::uint8_t LPTPort = 1;
    std::uint16_t LPTAddress = LptBaseAddresses[0];
    std::uint8_t USBPort = 1;
    std::array<std::uint8_t, 4> LANIPOctets = DefaultLanAddress;
    QString LANIP = DottedAddress(DefaultLanAddress);
    std::uint16_t LANPort = DefaultLanPort;
    QString WinDevice;
    QString WinPort;
    std::uint8_t WinPrinterCount = 0;
    bool PortOpen = false;
    bool TwoWayLink = false;

    // Identification code
    QString SerialNo = QStringLiteral("Printer000");
    std::uint8_t SNoLength = 10;
    std::uint8_t SNoNumCol = 8;
    std::uint8_t SNoNumLen = 3;
    std::uint8_t SNoAlign = 0;
    std::uint8_t SNoSpcChar = 0x20;
    bool AutoInc = true;
    std::int32_t StartNum = 1;

    // Model
    QString ModelName;
};

constexpr int ModelSlots = 17;
constexpr int MaxModels = 16;

struct ModelListRecord {
    std::uint8_t ModelCount = 0;
    std::array<QString, ModelSlots> ModelNames{};
    std::array<std::uint8_t, ModelSlots> ModelIds{};
    std::uint8_t ModelIndex = 1; // 1-based
};

// A printer installed in the system's print service.
struct InstalledPrinter {
    QString name;      // the printer's device (queue) name
    QString deviceUri; // where the print service sends its jobs: shown as its port
};

extern AppSettingsRecord AppSettings;
extern ModelListRecord ModelList;

extern bool ErrorFlag;       // the one result channel of operations
extern bool DialogCancelled; // cleared by a settings dialog's Set button
extern bool SplashMode;      // the next activation of the main window runs the start-up
extern bool WaitPending;     // WaitMs is waiting
extern std::uint8_t HistoryCount;
extern std::uint8_t ModelId; // identifier byte of the selected model
extern QString DataFolder;   // the current directory at start-up

// The hidden printer list of the main window: names of the printers installed
// in the system, in the order the print service reports them, and the port
// (device URI) of each at the same index.
extern QStringList LstWinDrv;
extern QStringList LstWinDrvPorts;

} // namespace Common
