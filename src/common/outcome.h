#pragma once
// How an identification operation ended: what the protocol reports and the
// record keeps.

namespace Common {

enum class Outcome {
    Written,             // the write went out to a confirmed printer
    PrinterNotConfirmed, // the printer did not answer with the selected model
    RegistrationFailed,  // the write could not be sent
    Read,                // the value came back from the printer
    ReadFailed,          // nothing usable came back
};

} // namespace Common
