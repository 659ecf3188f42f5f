#include "record/csv.h"

namespace Record {

QString CsvField(const QString& field)
{
    const bool quoted = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
                        field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'));
    if (!quoted)
        return field;
    QString out = field;
    out.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QString CsvLine(const QStringList& fields)
{
    QStringList out;
    out.reserve(fields.size());
    for (const QString& field : fields)
        out << CsvField(field);
    return out.join(QLatin1Char(',')) + QLatin1String("\r\n");
}

} // namespace Record
