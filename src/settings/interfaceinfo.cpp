#include "settings/interfaceinfo.h"

namespace Common {

namespace {

const QString LineBreak = QStringLiteral("\r\n");

QString ParityWord(std::uint8_t parity)
{
    switch (parity) {
    case 0:
        return QStringLiteral("None");
    case 1:
        return QStringLiteral("Odd");
    case 2:
        return QStringLiteral("Even");
    default:
        return {};
    }
}

QString FlowWord(std::uint8_t flow)
{
    return flow == 0 ? QStringLiteral("DTR/DSR") : QStringLiteral("Xon/Xoff");
}

QString Hex(unsigned value)
{
    return QString::number(value, 16).toUpper();
}

// "Pariry" is how the line has always read; operators know it that way.
QString SerialText(const AppSettingsRecord& s, const QString& lead)
{
    return lead + QStringLiteral("Serial I/F  (COM") + QString::number(s.COMPort) +
           QStringLiteral(":)") + LineBreak + QStringLiteral(" ") + QString::number(s.COMBaud) +
           QStringLiteral("00bps,  ") + ParityWord(s.COMParity) + QStringLiteral("-Pariry, ") +
           Hex(s.COMBits) + QStringLiteral("bits, ") + FlowWord(s.COMFlow);
}

} // namespace

QString InterfaceInfoText(const AppSettingsRecord& s)
{
    switch (s.Interface) {
    case Serial:
        return SerialText(s, QStringLiteral(" "));
    case VirtualCom:
        return SerialText(s, QStringLiteral(" Virtual-"));
    case Parallel:
        return QStringLiteral(" Parallel I/F  (LPT") + Hex(s.LPTPort) + QStringLiteral(":)");
    case USB:
        return QStringLiteral(" USB I/F (USB%1)").arg(s.USBPort, 3, 10, QLatin1Char('0'));
    case LAN:
        return QStringLiteral(" LAN I/F") + LineBreak + QStringLiteral(" IP=") + s.LANIP +
               QStringLiteral(",  Port=") + QString::number(s.LANPort);
    case WindowsDriver:
        return QStringLiteral(" Windows Driver  (") + s.WinPort + QStringLiteral(")") + LineBreak +
               QStringLiteral(" ") + s.WinDevice;
    default:
        return {};
    }
}

std::optional<InterfaceEffects> InterfaceEffectsFor(const AppSettingsRecord& s)
{
    switch (s.Interface) {
    case Serial:
        // The LED reads DSR, which only means something while the port stays open.
        return InterfaceEffects{s.PortOpen, true, true};
    case VirtualCom:
        return InterfaceEffects{false, true, true};
    case Parallel:
    case LAN:
        return InterfaceEffects{true, true, true};
    case USB:
    case WindowsDriver:
        return InterfaceEffects{false, false, false};
    default:
        return std::nullopt;
    }
}

} // namespace Common
