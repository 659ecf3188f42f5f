#pragma once
// The identification operations behind the main window's four buttons: each
// confirms that the attached printer is of the selected model, then writes or
// reads the identification code or the model name. Failures are shown to the
// operator and left in ErrorFlag.

#include <QString>

namespace Common {

enum class Confirmation {
    AlwaysQuery, // the read operations: the printer must answer GS I 1
    AllowOneWay, // the write operations: links without replies are taken on trust
};

// Asks the printer for its model identifier (opening the port unless it is
// kept open) and tells whether it is the selected model.
bool PrinterConfirmation(Confirmation kind);
// Sends a query and takes what has arrived 200 ms later; empty after a
// failed send.
QString QueryStep(const QString& query);

void WriteIdentificationCode(); // "Set S/No."
void ReadIdentificationCode();  // "Get S/No."
void WriteModelName();          // "Set Model Name"
void ReadModelName();           // "Get Model name"

} // namespace Common
