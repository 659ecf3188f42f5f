#include "settings/modeldata.h"

#include "common/msgbox.h"

namespace Common {

namespace {

// A model line, stripped of spaces: two hexadecimal identifier digits
// directly followed by a name of 2 to 17 characters.
constexpr qsizetype MinModelLine = 4;
constexpr qsizetype MaxModelLine = 19;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The first two characters read as hexadecimal: reading stops at the first
// character that is not a digit, and no digit at all gives 0.
std::uint8_t ModelIdOf(const QByteArray& line)
{
    int id = 0;
    for (qsizetype i = 0; i < 2; ++i) {
        const int digit = HexDigit(line.at(i));
        if (digit < 0)
            break;
        id = id * 16 + digit;
    }
    return static_cast<std::uint8_t>(id);
}

bool IsModelLine(const QByteArray& line)
{
    return line.size() >= MinModelLine && line.size() <= MaxModelLine && line.at(2) != ' ';
}

void SelectModel(ModelListRecord& list, QString& modelName)
{
    if (list.ModelCount == 0) {
        list.ModelCount = 1;
        list.ModelNames[0] = DefaultModelName;
        list.ModelIds[0] = DefaultModelId;
        list.ModelIndex = 1;
        modelName = DefaultModelName;
        return;
    }
    list.ModelIndex = 1;
    for (int i = 0; i < list.ModelCount; ++i) {
        if (list.ModelNames[i].compare(modelName, Qt::CaseInsensitive) == 0) {
            list.ModelIndex = static_cast<std::uint8_t>(i + 1);
            break;
        }
    }
    modelName = list.ModelNames[list.ModelIndex - 1];
}

} // namespace

LoadResult ParseModelData(const QByteArray& bytes, ModelListRecord& list, QString& modelName)
{
    list = ModelListRecord{};
    LineReader reader(bytes);
    if (reader.atEnd())
        return {LoadStatus::Failed, UnexpectedEndOfFile()};
    if (!HasZentabHeader(reader.readLine()))
        return {LoadStatus::WrongHeader, {}};
    while (!reader.atEnd() && list.ModelCount < MaxModels) {
        const QByteArray line = StripSpaces(reader.readLine());
        if (!IsModelLine(line))
            continue;
        list.ModelIds[list.ModelCount] = ModelIdOf(line);
        list.ModelNames[list.ModelCount] = QString::fromLatin1(StripSpaces(line.mid(2)));
        ++list.ModelCount;
    }
    SelectModel(list, modelName);
    return {};
}

LoadResult LoadModelData()
{
    const QString path = DataFilePath(ModelDataFileName);
    ModelList = ModelListRecord{};
    QByteArray bytes;
    LoadResult result = ReadDataFile(path, &bytes);
    if (result.status != LoadStatus::Done)
        return result;
    result = ParseModelData(bytes, ModelList, AppSettings.ModelName);
    if (result.status == LoadStatus::WrongHeader)
        MsgBox(QStringLiteral("Failed to load the Model data."),
               QStringLiteral("Model Data ERROR!"));
    if (result.status == LoadStatus::Failed)
        result.description = DescribeFailure(path, result.description);
    return result;
}

} // namespace Common
