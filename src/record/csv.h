#pragma once
// CSV as spreadsheets read it (RFC 4180): a field holding a comma, a quote or
// a line break is quoted, its quotes doubled; lines end with CR LF.

#include <QString>
#include <QStringList>

namespace Record {

QString CsvField(const QString& field);
QString CsvLine(const QStringList& fields);

} // namespace Record
