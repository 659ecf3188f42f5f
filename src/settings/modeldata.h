#pragma once
// The model data file Models.Dat in DataFolder: the printer models the tool
// knows, each with its one-byte model identifier. Read once during the
// start-up loading; the program never writes it.

#include "common/appsettings.h"
#include "settings/datafile.h"

#include <QByteArray>
#include <QString>

namespace Common {

inline const QString ModelDataFileName = QStringLiteral("Models.Dat");

// The model used when the file lists none.
inline const QString DefaultModelName = QStringLiteral("ZX-P700");
constexpr std::uint8_t DefaultModelId = 0x35;

// Fills the model list from the file's bytes (at most MaxModels models, in
// file order) and selects the model named by modelName, without regard to
// case; modelName then takes the file's spelling. WrongHeader and Failed
// leave the list empty and modelName unchanged.
LoadResult ParseModelData(const QByteArray& bytes, ModelListRecord& list, QString& modelName);

// Reads DataFolder/Models.Dat into ModelList and AppSettings.ModelName. A
// wrong header is shown here, as "Failed to load the Model data." under
// "Model Data ERROR!"; other failures are left to the caller to show.
LoadResult LoadModelData();

} // namespace Common
