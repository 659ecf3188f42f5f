#pragma once
// What the settings file and the model data file have in common: they live in
// DataFolder, are single-byte text with CR LF line ends, begin with a header
// line whose first six characters are "Zentab", and are read whole, once, at
// start-up.

#include <QByteArray>
#include <QString>

namespace Common {

// How reading one of the start-up files ended.
enum class LoadStatus {
    Done,        // read to the end (or as far as the rules read)
    WrongHeader, // the first line does not begin with "Zentab"
    Failed,      // the file could not be opened or read; see description
};

struct LoadResult {
    LoadStatus status = LoadStatus::Done;
    QString description; // for Failed: what the operator is told
};

// DataFolder joined with a file name.
QString DataFilePath(const QString& fileName);

// Reads a start-up file whole. Files of these kinds are a few hundred bytes;
// anything beyond MaxDataFileBytes is refused as a read failure rather than
// loaded into memory.
constexpr qint64 MaxDataFileBytes = 1024 * 1024;
LoadResult ReadDataFile(const QString& path, QByteArray* contents);

// Hands out the lines of a file one at a time. A line ends at CR LF, at a
// lone CR or at a lone LF; the last line need not end at all.
class LineReader {
public:
    explicit LineReader(const QByteArray& bytes) : bytes_(bytes) {}
    bool atEnd() const { return pos_ >= bytes_.size(); }
    // The next line without its line end. Call only while !atEnd().
    QByteArray readLine();

private:
    const QByteArray& bytes_;
    qsizetype pos_ = 0;
};

// True when the line, padded on the right with six spaces, begins with
// "Zentab" (case matters).
bool HasZentabHeader(const QByteArray& line);

// The text with spaces (and only spaces) removed at both ends.
QByteArray StripSpaces(const QByteArray& text);

// A failure as the operator is told it: the file's path, then what went wrong.
QString DescribeFailure(const QString& path, const QString& what);

// What went wrong when a file holds no first line at all.
QString UnexpectedEndOfFile();

} // namespace Common
