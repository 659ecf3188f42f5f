#include "settingsrecord.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <type_traits>
#include <vector>

using Common::AppSettingsRecord;

namespace TestSupport {

namespace {

using Octets = std::array<std::uint8_t, 4>;

template <typename T> QString Text(const T& value)
{
    if constexpr (std::is_same_v<T, QString>) {
        return value;
    } else if constexpr (std::is_same_v<T, Octets>) {
        QStringList parts;
        for (const std::uint8_t octet : value)
            parts << QString::number(octet);
        return parts.join(QLatin1Char(','));
    } else {
        return QString::number(value);
    }
}

template <typename T> void Assign(T& field, const QString& text)
{
    if constexpr (std::is_same_v<T, QString>) {
        field = text;
    } else if constexpr (std::is_same_v<T, Octets>) {
        const QStringList parts = text.split(QRegularExpression(QStringLiteral("[.,]")));
        for (std::size_t i = 0; i < field.size(); ++i)
            field[i] = std::uint8_t(parts.value(qsizetype(i)).toInt());
    } else {
        field = T(text.toLongLong());
    }
}

struct Field {
    const char* name;
    std::function<QString(const AppSettingsRecord&)> get;
    std::function<void(AppSettingsRecord&, const QString&)> set;
};

template <typename T> Field Make(const char* name, T AppSettingsRecord::*member)
{
    return {name, [member](const AppSettingsRecord& s) { return Text(s.*member); },
            [member](AppSettingsRecord& s, const QString& v) { Assign(s.*member, v); }};
}

#define FIELD(name) Make(#name, &AppSettingsRecord::name)
const std::vector<Field> Fields = {
    FIELD(Interface),       FIELD(ActiveInterface), FIELD(COMPort),    FIELD(COMBaud),
    FIELD(COMBits),         FIELD(COMParity),       FIELD(COMStop),    FIELD(COMFlow),
    FIELD(LPTPort),         FIELD(LPTAddress),      FIELD(USBPort),    FIELD(LANIPOctets),
    FIELD(LANIP),           FIELD(LANPort),         FIELD(WinDevice),  FIELD(WinPort),
    FIELD(WinPrinterCount), FIELD(PortOpen),        FIELD(TwoWayLink), FIELD(SerialNo),
    FIELD(SNoLength),       FIELD(SNoNumCol),       FIELD(SNoNumLen),  FIELD(SNoAlign),
    FIELD(SNoSpcChar),      FIELD(AutoInc),         FIELD(StartNum),   FIELD(ModelName)};
#undef FIELD

} // namespace

QString Describe(const AppSettingsRecord& s)
{
    QStringList lines;
    for (const Field& field : Fields)
        lines << QLatin1String(field.name) + QLatin1Char('=') + field.get(s);
    return lines.join(QLatin1Char('\n'));
}

bool Apply(AppSettingsRecord& s, const QString& assignments)
{
    for (const QString& word : assignments.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString name = word.section(QLatin1Char('='), 0, 0);
        const QString value = word.section(QLatin1Char('='), 1);
        const auto field = std::find_if(Fields.begin(), Fields.end(),
                                        [&name](const Field& f) { return name == f.name; });
        if (field == Fields.end())
            return false;
        field->set(s, value);
        if (name == QLatin1String("LANIP")) // the address and its octets go together
            Assign(s.LANIPOctets, value);
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
