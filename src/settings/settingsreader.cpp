// Reading the settings file: one "key = value" line at a time, each key with
// its own rule for which values it accepts. Anything not accepted leaves the
// field as it was, silently: a mistyped line must never stop the tool.

#include "settings/settingsfile.h"

#include "common/linkfacts.h"

#include <cmath>
#include <initializer_list>
#include <limits>
#include <optional>
#include <utility>

namespace Common {

namespace {

// A line's value: as written (spaces stripped) and in upper case for
// comparisons with the words of the table.
struct Value {
    QByteArray raw;
    QByteArray upper;
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

qsizetype SkipDigits(const QByteArray& text, qsizetype pos)
{
    while (pos < text.size() && IsDigit(text.at(pos)))
        ++pos;
    return pos;
}

// The numeric value of the decimal number at the start of the text, rounded
// to the nearest whole number; 0 when the text does not start with one. NaN
// when it cannot be represented, which no range accepts.
double LeadingNumber(const QByteArray& text)
{
    qsizetype pos = 0;
    if (pos < text.size() && (text.at(pos) == '+' || text.at(pos) == '-'))
        ++pos;
    const qsizetype intStart = pos;
    pos = SkipDigits(text, pos);
    bool anyDigit = pos > intStart;
    if (pos < text.size() && text.at(pos) == '.') {
        const qsizetype fracStart = pos + 1;
        pos = SkipDigits(text, fracStart);
        anyDigit = anyDigit || pos > fracStart;
    }
    if (!anyDigit)
        return 0;
    if (pos < text.size() && (text.at(pos) == 'E' || text.at(pos) == 'e')) {
        qsizetype expPos = pos + 1;
        if (expPos < text.size() && (text.at(expPos) == '+' || text.at(expPos) == '-'))
            ++expPos;
        const qsizetype expEnd = SkipDigits(text, expPos);
        if (expEnd > expPos)
            pos = expEnd;
    }
    bool ok = false;
    const double value = text.left(pos).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::numeric_limits<double>::quiet_NaN();
    return std::round(value);
}

// The value's number when the value has minLen to maxLen characters and the
// number lies in lo..hi.
std::optional<int> NumberInRange(const Value& value, int minLen, int maxLen, int lo, int hi)
{
    if (value.upper.size() < minLen || value.upper.size() > maxLen)
        return std::nullopt;
    const double number = LeadingNumber(value.upper);
    if (!(number >= lo && number <= hi))
        return std::nullopt;
    return static_cast<int>(number);
}

// The number whose decimal text the value is exactly.
template <typename Numbers>
std::optional<int> ExactNumber(const Value& value, const Numbers& numbers)
{
    for (const int number : numbers) {
        if (value.upper == QByteArray::number(number))
            return number;
    }
    return std::nullopt;
}

// The code of the first word that equals the value.
std::optional<int> Word(const Value& value,
                        std::initializer_list<std::pair<const char*, int>> words)
{
    for (const auto& [word, code] : words) {
        if (value.upper == word)
            return code;
    }
    return std::nullopt;
}

template <typename Field, typename Source> void Take(Field& field, const std::optional<Source>& v)
{
    if (v)
        field = static_cast<Field>(*v);
}

// A LANIP value: four dotted decimal parts, each of the first three one to
// three characters long. A part whose number does not fit a byte leaves its
// octet as it was; a malformed value restores the default address.
void ApplyLanIp(const Value& value, AppSettingsRecord& s)
{
    auto setOctet = [](std::uint8_t& octet, double number) {
        if (number >= 0 && number <= MaxLanOctet)
            octet = static_cast<std::uint8_t>(number);
    };
    QByteArray rest = value.upper;
    for (int part = 0; part < 3; ++part) {
        const qsizetype dot = rest.indexOf('.');
        if (dot < 1 || dot > LanOctetDigits) {
            s.LANIPOctets = DefaultLanAddress;
            s.LANIP = DottedAddress(DefaultLanAddress);
            return;
        }
        setOctet(s.LANIPOctets[part], LeadingNumber(rest.left(dot)));
        rest = StripSpaces(rest.mid(dot + 1));
    }
    setOctet(s.LANIPOctets[3], LeadingNumber(rest));
    s.LANIP = DottedAddress(s.LANIPOctets);
}

void ApplyInterface(const Value& v, AppSettingsRecord& s)
{
    // "LAN" is written but deliberately not taken back: the LAN link is not
    // put into effect from the file.
    Take(s.Interface, Word(v, {{"SERIAL", Serial},
                               {"COM", Serial},
                               {"PARALLEL", Parallel},
                               {"LPT", Parallel},
                               {"USB", USB},
                               {"VIRTUALCOM", VirtualCom},
                               {"VCOM", VirtualCom}}));
}

void ApplyComPort(const Value& v, AppSettingsRecord& s)
{
    const std::optional<int> port = NumberInRange(v, 1, 2, 1, MaxComPort);
    Take(s.COMPort, port);
    if (port && *port >= FirstVirtualOnlyComPort)
        s.Interface = VirtualCom;
}

void ApplyLptPort(const Value& v, AppSettingsRecord& s)
{
    for (int port = 1; port <= static_cast<int>(LptBaseAddresses.size()); ++port) {
        if (v.upper == QByteArray::number(port)) {
            s.LPTPort = static_cast<std::uint8_t>(port);
            s.LPTAddress = LptBaseAddress(s.LPTPort);
            return;
        }
    }
}

void ApplyText(QString& field, const Value& v, int minLen, int maxLen)
{
    if (v.raw.size() >= minLen && v.raw.size() <= maxLen)
        field = QString::fromLatin1(v.raw);
}

struct KeyRule {
    const char* key;
    void (*apply)(const Value&, AppSettingsRecord&);
};

const KeyRule KeyRules[] = {
    {"INTERFACE", ApplyInterface},
    {"COMPORT", ApplyComPort},
    {"COMBAUD",
     [](const Value& v, AppSettingsRecord& s) { Take(s.COMBaud, ExactNumber(v, BaudRates)); }},
    {"COMBITS",
     [](const Value& v, AppSettingsRecord& s) {
         Take(s.COMBits, Word(v, {{"7", 7}, {"8", 8}}));
     }},
    {"COMPARITY",
     [](const Value& v, AppSettingsRecord& s) {
         Take(s.COMParity,
              Word(v, {{"NONE", 0}, {"0", 0}, {"ODD", 1}, {"1", 1}, {"EVEN", 2}, {"2", 2}}));
     }},
    {"COMSTOP",
     [](const Value& v, AppSettingsRecord& s) {
         Take(s.COMStop, Word(v, {{"1", 1}, {"2", 2}}));
     }},
    {"COMFLOW",
     [](const Value& v, AppSettingsRecord& s) {
         Take(s.COMFlow, Word(v, {{"DTRDSR", 0}, {"0", 0}, {"XONXOFF", 1}, {"1", 1}}));
     }},
    {"LPTPORT", ApplyLptPort},
    {"USBPORT",
     [](const Value& v, AppSettingsRecord& s) {
         Take(s.USBPort, NumberInRange(v, 1, 2, 1, MaxUsbPort));
     }},
    {"LANIP", ApplyLanIp},
    {"LANPORT",
     [](const Value& v, AppSettingsRecord& s) {
         Take(s.LANPort, NumberInRange(v, 1, LanPortDigits, 1, MaxLanPort));
     }},
    {"PORTOPEN", [](const Value& v, AppSettingsRecord& s) { s.PortOpen = v.upper == "TRUE"; }},
    {"SERIALNO", [](const Value& v, AppSettingsRecord& s) { ApplyText(s.SerialNo, v, 10, 10); }},
    {"SNONUMCOL", [](const Value& v,
                     AppSettingsRecord& s) { Take(s.SNoNumCol, NumberInRange(v, 1, 2, 1, 10)); }},
    {"SNONUMLEN",
     [](const Value& v, AppSettingsRecord& s) { Take(s.SNoNumLen, NumberInRange(v, 1, 1, 0, 6)); }},
    {"MODELNAME", [](const Value& v, AppSettingsRecord& s) { ApplyText(s.ModelName, v, 3, 15); }},
    {"AUTOINC",
     [](const Value& v, AppSettingsRecord& s) {
         Take(s.AutoInc, Word(v, {{"TRUE", 1}, {"FALSE", 0}}));
     }},
    {"STARTNUM", [](const Value& v,
                    AppSettingsRecord& s) { Take(s.StartNum, NumberInRange(v, 1, 6, 0, 999999)); }},
};

// The key part of a line is at most ten characters: the "=" must stand at
// the eleventh position or earlier.
constexpr qsizetype LastEqualsIndex = 10;

void ApplyLine(const QByteArray& line, AppSettingsRecord& s)
{
    const qsizetype equals = line.indexOf('=');
    if (equals < 0 || equals > LastEqualsIndex)
        return;
    const QByteArray key = StripSpaces(line.left(equals)).toUpper();
    Value value;
    value.raw = StripSpaces(line.mid(equals + 1));
    value.upper = value.raw.toUpper();
    for (const KeyRule& rule : KeyRules) {
        if (key == rule.key) {
            rule.apply(value, s);
            return;
        }
    }
}

// Rules that need the whole file read first.
void ApplyFinalRules(AppSettingsRecord& s)
{
    if (s.COMPort >= FirstVirtualOnlyComPort)
        s.Interface = VirtualCom;
    // The number part must reach to the end of the code; otherwise the code
    // is taken as having no number part at all.
    if (s.SNoLength > s.SNoNumCol + s.SNoNumLen) {
        s.SNoNumLen = 0;
        s.SNoNumCol = 1;
    }
}

} // namespace

LoadResult ParseSettings(const QByteArray& bytes, AppSettingsRecord& settings)
{
    LineReader reader(bytes);
    if (reader.atEnd())
        return {LoadStatus::Failed, UnexpectedEndOfFile()};
    if (!HasZentabHeader(reader.readLine()))
        return {LoadStatus::WrongHeader, {}};
    while (!reader.atEnd())
        ApplyLine(reader.readLine(), settings);
    ApplyFinalRules(settings);
    return {};
}

} // namespace Common
