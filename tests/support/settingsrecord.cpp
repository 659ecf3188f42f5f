#include "settingsrecord.h"

#include <QStringList>
#include <functional>
#include <vector>

using Common::AppSettingsRecord;

namespace TestSupport {

namespace {

struct FieldAccess {
    const char* name;
    std::function<QString(const AppSettingsRecord&)> get;
    std::function<void(AppSettingsRecord&, const QString&)> set;
};

template <typename T> FieldAccess Number(const char* name, T AppSettingsRecord::*member)
{
    return {name, [member](const AppSettingsRecord& s) { return QString::number(s.*member); },
            [member](AppSettingsRecord& s, const QString& v) { s.*member = T(v.toLongLong()); }};
}

FieldAccess Text(const char* name, QString AppSettingsRecord::*member)
{
    return {name, [member](const AppSettingsRecord& s) { return s.*member; },
            [member](AppSettingsRecord& s, const QString& v) { s.*member = v; }};
}

const std::vector<FieldAccess>& Table()
{
    using R = AppSettingsRecord;
    static const std::vector<FieldAccess> table = {
        Number("Interface", &R::Interface),
        Number("ActiveInterface", &R::ActiveInterface),
        Number("COMPort", &R::COMPort),
        Number("COMBaud", &R::COMBaud),
        Number("COMBits", &R::COMBits),
        Number("COMParity", &R::COMParity),
        Number("COMStop", &R::COMStop),
        Number("COMFlow", &R::COMFlow),
        Number("LPTPort", &R::LPTPort),
        Number("LPTAddress", &R::LPTAddress),
        Number("USBPort", &R::USBPort),
        {"LANIPOctets",
         [](const R& s) {
             QStringList parts;
             for (std::uint8_t octet : s.LANIPOctets)
                 parts << QString::number(octet);
             return parts.join(QLatin1Char(','));
         },
         [](R& s, const QString& v) {
             const QStringList parts = v.split(QLatin1Char(','));
             for (int i = 0; i < 4; ++i)
                 s.LANIPOctets[std::size_t(i)] = std::uint8_t(parts.value(i).toInt());
         }},
        {"LANIP", [](const R& s) { return s.LANIP; },
         [](R& s, const QString& v) {
             s.LANIP = v;
             const QStringList parts = v.split(QLatin1Char('.'));
             for (int i = 0; i < 4; ++i)
                 s.LANIPOctets[std::size_t(i)] = std::uint8_t(parts.value(i).toInt());
         }},
        Number("LANPort", &R::LANPort),
        Text("WinDevice", &R::WinDevice),
        Text("WinPort", &R::WinPort),
        Number("WinPrinterCount", &R::WinPrinterCount),
        Number("PortOpen", &R::PortOpen),
        Number("TwoWayLink", &R::TwoWayLink),
        Text("SerialNo", &R::SerialNo),
        Number("SNoLength", &R::SNoLength),
        Number("SNoNumCol", &R::SNoNumCol),
        Number("SNoNumLen", &R::SNoNumLen),
        Number("SNoAlign", &R::SNoAlign),
        Number("SNoSpcChar", &R::SNoSpcChar),
        Number("AutoInc", &R::AutoInc),
        Number("StartNum", &R::StartNum),
        Text("ModelName", &R::ModelName),
    };
    return table;
}

const FieldAccess* Find(const QString& name)
{
    for (const FieldAccess& field : Table())
        if (name == QLatin1String(field.name))
            return &field;
    return nullptr;
}

} // namespace

QString Describe(const AppSettingsRecord& s)
{
    QStringList lines;
    for (const FieldAccess& field : Table())
        lines << QLatin1String(field.name) + QLatin1Char('=') + field.get(s);
    return lines.join(QLatin1Char('\n'));
}

QString DescribeWithModel()
{
    return Describe(Common::AppSettings) +
           QStringLiteral("\nModelIndex=%1").arg(Common::ModelList.ModelIndex);
}

QString Fields(const AppSettingsRecord& s, const QString& names)
{
    QStringList values;
    for (const QString& name : names.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const FieldAccess* field = Find(name);
        if (!field)
            return QString();
        values << field->get(s);
    }
    return values.join(QLatin1Char(' '));
}

bool Apply(AppSettingsRecord& s, const QString& assignments)
{
    for (const QString& word : assignments.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const FieldAccess* field = Find(word.section(QLatin1Char('='), 0, 0));
        if (!field)
            return false;
        field->set(s, word.section(QLatin1Char('='), 1));
    }
    return true;
}

AppSettingsRecord SettingsWith(const QString& assignments)
{
    AppSettingsRecord s;
    if (!Apply(s, assignments))
        qFatal("not a settings field in \"%s\"", qPrintable(assignments));
    return s;
}

} // namespace TestSupport
