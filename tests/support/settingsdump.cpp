#include "settingsdump.h"

#include <QStringList>

namespace TestSupport {

QString DumpSettings(const Common::AppSettingsRecord& s)
{
    QStringList lines;
    auto add = [&lines](const char* name, const QString& value) {
        lines << QStringLiteral("%1=%2").arg(QLatin1String(name), value);
    };
    auto num = [](long long value) { return QString::number(value); };
    add("Interface", num(s.Interface));
    add("ActiveInterface", num(s.ActiveInterface));
    add("COMPort", num(s.COMPort));
    add("COMBaud", num(s.COMBaud));
    add("COMBits", num(s.COMBits));
    add("COMParity", num(s.COMParity));
    add("COMStop", num(s.COMStop));
    add("COMFlow", num(s.COMFlow));
    add("LPTPort", num(s.LPTPort));
    add("LPTAddress", num(s.LPTAddress));
    add("USBPort", num(s.USBPort));
    add("LANIPOctets", QStringLiteral("%1.%2.%3.%4")
                           .arg(s.LANIPOctets[0])
                           .arg(s.LANIPOctets[1])
                           .arg(s.LANIPOctets[2])
                           .arg(s.LANIPOctets[3]));
    add("LANIP", s.LANIP);
    add("LANPort", num(s.LANPort));
    add("WinDevice", s.WinDevice);
    add("WinPort", s.WinPort);
    add("WinPrinterCount", num(s.WinPrinterCount));
    add("PortOpen", num(s.PortOpen));
    add("TwoWayLink", num(s.TwoWayLink));
    add("SerialNo", s.SerialNo);
    add("SNoLength", num(s.SNoLength));
    add("SNoNumCol", num(s.SNoNumCol));
    add("SNoNumLen", num(s.SNoNumLen));
    add("SNoAlign", num(s.SNoAlign));
    add("SNoSpcChar", num(s.SNoSpcChar));
    add("AutoInc", num(s.AutoInc));
    add("StartNum", num(s.StartNum));
    add("ModelName", s.ModelName);
    return lines.join(QLatin1Char('\n'));
}

QString DumpSettingsAndModel()
{
    return DumpSettings(Common::AppSettings) +
           QStringLiteral("\nModelIndex=%1").arg(Common::ModelList.ModelIndex);
}

} // namespace TestSupport
