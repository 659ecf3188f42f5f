// Any bytes as the model data file Models.Dat. Whatever the file holds, the
// reader must end with a usable model list (one to sixteen models, names of
// 2 to 17 characters, a selected model that exists) or, for a wrong header or
// an empty file, with an empty list and the settings' model name untouched.
#include "fuzzcheck.h"

#include "settings/modeldata.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

using namespace Common;

namespace {

QByteArray FirstLine(const QByteArray& bytes)
{
    qsizetype end = 0;
    while (end < bytes.size() && bytes.at(end) != '\r' && bytes.at(end) != '\n')
        ++end;
    return bytes.left(end);
}

void CheckList(const QByteArray& bytes, const ModelListRecord& list, const QString& modelName)
{
    FUZZ_CHECK(list.ModelCount >= 1 && list.ModelCount <= MaxModels);
    FUZZ_CHECK(list.ModelIndex >= 1 && list.ModelIndex <= list.ModelCount);
    FUZZ_CHECK(modelName == list.ModelNames[list.ModelIndex - 1]);
    for (int i = 0; i < ModelSlots; ++i) {
        const QString& name = list.ModelNames[i];
        if (i >= list.ModelCount) {
            FUZZ_CHECK(name.isEmpty() && list.ModelIds[i] == 0);
            continue;
        }
        FUZZ_CHECK(name.size() >= 2 && name.size() <= 17);
        FUZZ_CHECK(!name.startsWith(u' ') && !name.endsWith(u' '));
        FUZZ_CHECK(!name.contains(u'\r') && !name.contains(u'\n'));
        // Taken from the file as it stands, or the one default entry.
        FUZZ_CHECK(bytes.contains(name.toLatin1()) ||
                   (list.ModelCount == 1 && name == DefaultModelName &&
                    list.ModelIds[0] == DefaultModelId));
    }
}

// The index the selection must arrive at: the first name equal without
// regard to case, else the first model.
int FirstMatch(const ModelListRecord& list, const QString& wanted)
{
    for (int i = 0; i < list.ModelCount; ++i)
        if (list.ModelNames[i].compare(wanted, Qt::CaseInsensitive) == 0)
            return i + 1;
    return 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ModelListRecord list;
    const QString fromSettings = QStringLiteral("from settings");
    QString modelName = fromSettings;
    const LoadResult result = ParseModelData(bytes, list, modelName);

    FUZZ_CHECK((result.status == LoadStatus::Failed) == bytes.isEmpty());
    if (!bytes.isEmpty())
        FUZZ_CHECK((result.status == LoadStatus::WrongHeader) ==
                   !FirstLine(bytes).startsWith("Zentab"));
    if (result.status != LoadStatus::Done) {
        FUZZ_CHECK(list.ModelCount == 0 && modelName == fromSettings);
        return 0;
    }
    CheckList(bytes, list, modelName);

    // The settings name the last model, in another letter case: that model
    // (or an equal name before it) is selected, in the file's spelling.
    const QString last = list.ModelNames[list.ModelCount - 1];
    ModelListRecord again;
    QString wanted = last.toLower();
    ParseModelData(bytes, again, wanted);
    CheckList(bytes, again, wanted);
    FUZZ_CHECK(again.ModelIndex == FirstMatch(again, last));
    FUZZ_CHECK(wanted.compare(last, Qt::CaseInsensitive) == 0);
    FUZZ_CHECK(again.ModelNames == list.ModelNames && again.ModelIds == list.ModelIds);
    return 0;
}
