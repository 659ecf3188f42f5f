// Writing the settings file: the header line dated with the time of writing,
// then one line per setting that differs from its default, in a fixed order.

#include "settings/settingsfile.h"

#include <QLocale>

namespace Common {

namespace {

class SettingsText {
public:
    void line(const QString& text) { text_ += text + QStringLiteral("\r\n"); }
    // Numbers stand one space apart from the "= ".
    void number(const char* key, long long value)
    {
        line(QLatin1String(key) + QStringLiteral(" =  ") + QString::number(value));
    }
    void text(const char* key, const QString& value)
    {
        line(QLatin1String(key) + QStringLiteral(" = ") + value);
    }
    // Single-byte text: a character outside Latin-1 becomes "?".
    QByteArray bytes() const { return text_.toLatin1(); }

private:
    QString text_;
};

// Nothing is written for Serial, the default. The Windows-driver choice is
// stored as Serial because its printer is not stored.
const char* InterfaceWord(std::uint8_t kind)
{
    switch (kind) {
    case Parallel:
        return "Parallel";
    case USB:
        return "USB";
    case LAN:
        return "LAN";
    case WindowsDriver:
        return "Serial";
    case VirtualCom:
        return "VirtualCOM";
    default:
        return nullptr;
    }
}

void WritePortLines(SettingsText& out, const AppSettingsRecord& s, const AppSettingsRecord& d)
{
    if (const char* word = InterfaceWord(s.Interface))
        out.text("Interface", QLatin1String(word));
    if (s.COMPort != d.COMPort)
        out.number("COMPort", s.COMPort);
    if (s.COMBaud != d.COMBaud)
        out.number("COMBaud", s.COMBaud);
    if (s.COMBits != d.COMBits)
        out.number("COMBits", s.COMBits);
    if (s.COMParity == 1)
        out.text("COMParity", QStringLiteral("Odd"));
    if (s.COMParity == 2)
        out.text("COMParity", QStringLiteral("Even"));
    if (s.COMStop != d.COMStop)
        out.number("COMStop", s.COMStop);
    if (s.COMFlow != d.COMFlow)
        out.text("COMFlow", QStringLiteral("XonXoff"));
    if (s.LPTPort != d.LPTPort)
        out.number("LPTPort", s.LPTPort);
    if (s.USBPort != d.USBPort)
        out.number("USBPort", s.USBPort);
    if (s.LANIP != d.LANIP)
        out.text("LANIP", s.LANIP);
    if (s.LANPort != d.LANPort)
        out.number("LANPort", s.LANPort);
    if (s.PortOpen)
        out.text("PortOpen", QStringLiteral("TRUE"));
}

void WriteCodeLines(SettingsText& out, const AppSettingsRecord& s, const AppSettingsRecord& d,
                    const QString& codeBoxText)
{
    // The code box, not SerialNo: what the operator sees is what comes back.
    // A code of another length could not be read back, so it is not stored.
    if (codeBoxText.size() == 10)
        out.text("SerialNo", codeBoxText);
    if (!s.AutoInc)
        out.text("AutoInc", QStringLiteral("FALSE"));
    if (s.SNoNumCol != d.SNoNumCol || s.SNoNumLen != d.SNoNumLen) {
        out.number("SNoNumCol", s.SNoNumCol);
        out.number("SNoNumLen", s.SNoNumLen);
    }
    if (s.StartNum != d.StartNum)
        out.number("StartNum", s.StartNum);
}

} // namespace

QString SettingsHeaderTime(const QDateTime& writtenAt)
{
    // The C locale gives the English month names whatever the system's
    // language, so every file reads the same.
    return QLocale::c().toString(writtenAt, QStringLiteral("dd.MMM.yy  hh:mm"));
}

QByteArray FormatSettings(const AppSettingsRecord& settings, const QString& codeBoxText,
                          const QDateTime& writtenAt)
{
    const AppSettingsRecord defaults;
    SettingsText out;
    out.line(QStringLiteral("Zentab    ") + SettingsHeaderTime(writtenAt));
    out.text("ModelName", settings.ModelName);
    WritePortLines(out, settings, defaults);
    WriteCodeLines(out, settings, defaults, codeBoxText);
    return out.bytes();
}

} // namespace Common
