// Any bytes as the settings file Zentab.ini. Whatever the file holds, the
// reader must end with every field in the range the rest of the program
// relies on (port numbers, code layout, the address text), must leave the
// record alone when the header is wrong, and must read back exactly what the
// writer makes of the result.
#include "fuzzcheck.h"

#include "common/linkfacts.h"
#include "settings/settingsfile.h"

#include <QByteArray>
#include <QDateTime>
#include <cstddef>
#include <cstdint>
#include <tuple>

using namespace Common;

namespace {

auto Fields(const AppSettingsRecord& s)
{
    return std::tie(s.Interface, s.ActiveInterface, s.COMPort, s.COMBaud, s.COMBits, s.COMParity,
                    s.COMStop, s.COMFlow, s.LPTPort, s.LPTAddress, s.USBPort, s.LANIPOctets,
                    s.LANIP, s.LANPort, s.WinDevice, s.WinPort, s.WinPrinterCount, s.PortOpen,
                    s.TwoWayLink, s.SerialNo, s.SNoLength, s.SNoNumCol, s.SNoNumLen, s.SNoAlign,
                    s.SNoSpcChar, s.AutoInc, s.StartNum, s.ModelName);
}

bool Same(const AppSettingsRecord& a, const AppSettingsRecord& b)
{
    return Fields(a) == Fields(b);
}

QByteArray FirstLine(const QByteArray& bytes)
{
    qsizetype end = 0;
    while (end < bytes.size() && bytes.at(end) != '\r' && bytes.at(end) != '\n')
        ++end;
    return bytes.left(end);
}

bool OneOf(int value, std::initializer_list<int> allowed)
{
    for (int a : allowed)
        if (value == a)
            return true;
    return false;
}

void CheckRanges(const AppSettingsRecord& s)
{
    const AppSettingsRecord d;
    FUZZ_CHECK(OneOf(s.Interface, {Serial, Parallel, USB, VirtualCom}));
    FUZZ_CHECK(s.COMPort >= 1 && s.COMPort <= 99);
    FUZZ_CHECK(s.COMPort <= 15 || s.Interface == VirtualCom);
    FUZZ_CHECK(OneOf(s.COMBaud, {48, 96, 192, 384, 576, 1152}));
    FUZZ_CHECK(OneOf(s.COMBits, {7, 8}));
    FUZZ_CHECK(s.COMParity <= 2);
    FUZZ_CHECK(OneOf(s.COMStop, {1, 2}));
    FUZZ_CHECK(s.COMFlow <= 1);
    FUZZ_CHECK(s.LPTPort >= 1 && s.LPTPort <= 3 && s.LPTAddress == LptBaseAddress(s.LPTPort));
    FUZZ_CHECK(s.USBPort >= 1 && s.USBPort <= 15);
    FUZZ_CHECK(s.LANIP == QStringLiteral("%1.%2.%3.%4")
                              .arg(s.LANIPOctets[0])
                              .arg(s.LANIPOctets[1])
                              .arg(s.LANIPOctets[2])
                              .arg(s.LANIPOctets[3]));
    FUZZ_CHECK(s.LANPort >= 1 && s.LANPort <= 9999);
    FUZZ_CHECK(s.SerialNo.size() == 10);
    // The number part lies inside the code and reaches its end, or there is none.
    FUZZ_CHECK(s.SNoNumCol >= 1 && s.SNoNumCol <= 10 && s.SNoNumLen <= 6);
    FUZZ_CHECK(s.SNoNumCol + s.SNoNumLen >= s.SNoLength || (s.SNoNumLen == 0 && s.SNoNumCol == 1));
    FUZZ_CHECK(s.StartNum >= 0 && s.StartNum <= 999999);
    FUZZ_CHECK(s.ModelName.isEmpty() || (s.ModelName.size() >= 3 && s.ModelName.size() <= 15));
    // What the file does not hold stays as it was.
    FUZZ_CHECK(s.ActiveInterface == d.ActiveInterface && s.SNoLength == d.SNoLength &&
               s.SNoAlign == d.SNoAlign && s.SNoSpcChar == d.SNoSpcChar &&
               s.WinDevice == d.WinDevice && s.WinPort == d.WinPort &&
               s.TwoWayLink == d.TwoWayLink);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    AppSettingsRecord s;
    const LoadResult result = ParseSettings(bytes, s);

    FUZZ_CHECK((result.status == LoadStatus::Failed) == bytes.isEmpty());
    if (!bytes.isEmpty())
        FUZZ_CHECK((result.status == LoadStatus::WrongHeader) ==
                   !FirstLine(bytes).startsWith("Zentab"));
    if (result.status != LoadStatus::Done) {
        FUZZ_CHECK(Same(s, AppSettingsRecord{}));
        return 0;
    }
    CheckRanges(s);

    AppSettingsRecord again;
    ParseSettings(bytes, again);
    FUZZ_CHECK(Same(s, again));

    // What is written at exit comes back unchanged at the next start.
    const QByteArray written =
        FormatSettings(s, s.SerialNo, QDateTime(QDate(2026, 12, 5), QTime(11, 1), Qt::UTC));
    AppSettingsRecord back;
    FUZZ_CHECK(ParseSettings(written, back).status == LoadStatus::Done);
    FUZZ_CHECK(Same(back, s));
    return 0;
}
