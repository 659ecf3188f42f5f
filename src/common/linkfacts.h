#pragma once
// The facts about the printer links that the settings file, the interface
// dialog and the port drivers must agree on, each kept here once.

#include <QString>
#include <array>
#include <cstdint>

namespace Common {

// Serial baud rates offered and accepted, divided by 100 as the settings keep them.
constexpr std::array<std::uint16_t, 6> BaudRates{48, 96, 192, 384, 576, 1152};

// Highest serial port number; COM1 is port 1.
constexpr int MaxComPort = 99;

// Serial ports from this number up can only be virtual COM ports.
constexpr int FirstVirtualOnlyComPort = 16;

// Highest USB printer port number; USB001 is port 1.
constexpr int MaxUsbPort = 15;

// I/O base addresses of the parallel ports LPT1, LPT2 and LPT3, in that order.
constexpr std::array<std::uint16_t, 3> LptBaseAddresses{0x378, 0x278, 0x3BC};

// Base I/O address of parallel port 1 to 3; any other number gives LPT1's.
constexpr std::uint16_t LptBaseAddress(std::uint8_t lptPort)
{
    return lptPort >= 1 && lptPort <= LptBaseAddresses.size() ? LptBaseAddresses[lptPort - 1u]
                                                              : LptBaseAddresses[0];
}

// The LAN printer's address until one is set, octet by octet.
constexpr std::array<std::uint8_t, 4> DefaultLanAddress{192, 168, 1, 1};

// An address as the settings file writes it: "192.168.1.1".
inline QString DottedAddress(const std::array<std::uint8_t, 4>& octets)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(octets[0])
        .arg(octets[1])
        .arg(octets[2])
        .arg(octets[3]);
}

// The LAN printer's TCP port until one is set.
constexpr std::uint16_t DefaultLanPort = 9100;

// Highest LAN port a setting holds: four decimal digits at most.
constexpr int MaxLanPort = 9999;
constexpr int LanPortDigits = 4;

// Highest value of one address octet: three decimal digits at most.
constexpr int MaxLanOctet = 255;
constexpr int LanOctetDigits = 3;

} // namespace Common
