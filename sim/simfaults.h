#pragma once
// Misbehaviour the simulated printer shows on demand, so that every failure
// path of the link and the identification operations can be reached.

#include <cstdint>
#include <optional>

namespace Sim {

struct SimFaults {
    bool silent = false;                          // takes everything, transmits nothing
    int replyDelayMs = 0;                         // transmits this late
    std::optional<std::uint8_t> otherModelId;     // GS I 1 answers this instead
    bool garbageReplies = false;                  // every transmission replaced by noise
    int replyLengthChange = 0;                    // < 0 cuts bytes off each reply, > 0 adds some
    bool stopsTaking = false;                     // takes no more bytes (offline, buffer full)
    std::optional<std::int64_t> vanishAfterBytes; // gone for good once this many bytes were taken
    bool readyLineDropped = false;                // DSR (serial) reads low
};

} // namespace Sim
