#pragma once
// The identification operations behind the main window's four buttons: each
// confirms that the attached printer is of the selected model, then writes or
// reads the identification code or the model name. They take and give values;
// failures are shown to the operator and left in ErrorFlag. The caller holds
// the window in its busy state around them.

#include "common/outcome.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace Common {

enum class Confirmation {
    AlwaysQuery, // the read operations: the printer must answer GS I 1
    AllowOneWay, // the write operations: links without replies are taken on trust
};

// Asks the printer for its model identifier (opening the port unless it is
// kept open) and tells whether it is modelId.
bool PrinterConfirmation(Confirmation kind, std::uint8_t modelId);
// Sends a query and takes what has arrived 200 ms later; empty after a
// failed send.
QString QueryStep(const QString& query);

// Told how an operation ended (and the value read, if any) before anything
// of it is shown: the record keeps it first.
using OutcomeHook = std::function<void(Outcome outcome, const QString& value)>;

// "Set S/No." and "Set Model Name": the value stored in a printer of model
// modelId. ErrorFlag tells whether it went through.
void WriteIdentificationCode(const QString& code, std::uint8_t modelId,
                             const OutcomeHook& ended = {});
void WriteModelName(const QString& name, std::uint8_t modelId, const OutcomeHook& ended = {});
// "Get S/No." and "Get Model name": the value the printer holds, or nothing
// (ErrorFlag set, the failure shown).
std::optional<QString> ReadIdentificationCode(std::uint8_t modelId, const OutcomeHook& ended = {});
std::optional<QString> ReadModelName(std::uint8_t modelId, const OutcomeHook& ended = {});

} // namespace Common
