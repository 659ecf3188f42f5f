#include "settings/datafile.h"

#include "common/appsettings.h"

#include <QDir>
#include <QFile>

namespace Common {

QString DataFilePath(const QString& fileName)
{
    return DataFolder + QLatin1Char('/') + fileName;
}

LoadResult ReadDataFile(const QString& path, QByteArray* contents)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {LoadStatus::Failed, DescribeFailure(path, file.errorString())};
    const QString tooLarge = QStringLiteral("the file is too large.");
    if (file.size() > MaxDataFileBytes)
        return {LoadStatus::Failed, DescribeFailure(path, tooLarge)};
    // Read one byte past the limit so that a file that grows, or a device
    // that reports no size, is still caught.
    *contents = file.read(MaxDataFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {LoadStatus::Failed, DescribeFailure(path, file.errorString())};
    if (contents->size() > MaxDataFileBytes) {
        contents->clear();
        return {LoadStatus::Failed, DescribeFailure(path, tooLarge)};
    }
    return {};
}

QByteArray LineReader::readLine()
{
    const qsizetype start = pos_;
    qsizetype end = start;
    while (end < bytes_.size() && bytes_.at(end) != '\r' && bytes_.at(end) != '\n')
        ++end;
    pos_ = end;
    if (pos_ < bytes_.size()) {
        const char lineEnd = bytes_.at(pos_++);
        if (lineEnd == '\r' && pos_ < bytes_.size() && bytes_.at(pos_) == '\n')
            ++pos_;
    }
    return bytes_.mid(start, end - start);
}

bool HasZentabHeader(const QByteArray& line)
{
    // Padding a shorter line with spaces can never make it begin with the
    // word, so the padding need not be done.
    return line.startsWith("Zentab");
}

QByteArray StripSpaces(const QByteArray& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == ' ')
        ++first;
    while (last > first && text.at(last - 1) == ' ')
        --last;
    return text.mid(first, last - first);
}

QString DescribeFailure(const QString& path, const QString& what)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + what;
}

QString UnexpectedEndOfFile()
{
    return QStringLiteral("unexpected end of file.");
}

} // namespace Common
