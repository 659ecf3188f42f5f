#pragma once
// The printer's side of an IEEE 1284 parallel interface, at the level of the
// cable's signal lines. Compatibility mode takes bytes into the printer with
// the nStrobe / BUSY / nAck handshake; nibble mode returns what the printer
// transmits four bits at a time on the status lines.
//
// The host's waits are counts of status reads, not times, so the peripheral
// steps on register accesses too: it answers a host event after a few status
// reads (reactionReads), which exercises the host's polling loops. Only the
// answer to a termination request comes with the first read, because the
// host samples it once after a pause, by which time a real peripheral has
// long answered.

#include "simprinter.h"

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <optional>

namespace Sim {

// The lines the host drives, by their level on the cable (true = high).
struct HostLines {
    bool nStrobe = true;
    bool nAutoFd = true;
    bool nInit = true;
    bool nSelectIn = true;
};

// The lines the peripheral drives, by their level on the cable.
struct PeripheralLines {
    bool busy = false;
    bool nAck = true;
    bool pError = false;
    bool select = true;
    bool nFault = true;
};

struct PeripheralFaults {
    bool noReverseChannel = false;        // a compatibility-only printer
    std::optional<int> nAckStuckAtNibble; // 0-based nibble after negotiation whose nAck never rises
    bool endlessData = false;             // always has another byte to send
    std::optional<int> busyAfterBytes;    // BUSY stays high once this many bytes were taken
};

class Ieee1284Peripheral {
public:
    enum class Phase {
        CompatibilityIdle,
        StrobeLatched,    // nStrobe low: data latched, BUSY high
        TakingByte,       // nStrobe released: handing the byte to the printer
        Acknowledging,    // nAck pulse
        NegotiationAsked, // event 1 seen
        NegotiationAnswered,
        RequestStrobed,   // event 3: extensibility byte latched
        Accepting,        // event 4 seen: events 5 and 6 follow
        Accepted,         // event 5 done
        ReverseIdle,      // waiting for the host to ask for a nibble (event 7)
        NibbleAsked,      // event 7 seen: events 8 and 9 follow
        NibbleOnLines,    // nAck low with a nibble: waiting for event 10
        NibbleTaken,      // event 10 seen: event 11 follows
        NibbleStuck,      // nAck never rises (fault)
        TerminationAsked, // event 22 seen
        TerminationAnswered,
        TerminationEnding, // event 25 seen: events 26 and 27 follow
        TerminationDone,   // waiting for event 28
    };

    static constexpr int kDefaultReactionReads = 3;
    static constexpr std::uint8_t kNibbleModeRequest = 0x00;

    explicit Ieee1284Peripheral(std::shared_ptr<SimPrinter> printer);

    void setReactionReads(int reads) { reactionReads_ = reads < 1 ? 1 : reads; }
    int reactionReads() const { return reactionReads_; }
    PeripheralFaults& faults() { return faults_; }
    const PeripheralFaults& faults() const { return faults_; }

    // The host drives the data lines and the control lines.
    void hostDrivesData(std::uint8_t data) { data_ = data; }
    void hostDrivesControl(const HostLines& lines);
    // One status read by the host: the peripheral takes its next step if
    // one is due, then the host sees the lines.
    PeripheralLines hostReadsStatus();
    // The lines as they are now, without counting a read.
    PeripheralLines lines() const;

    Phase phase() const { return phase_; }
    std::uint8_t extensibilityByte() const { return extensibility_; }
    int bytesTaken() const { return bytesTaken_; }
    int nibblesSent() const { return nibblesSent_; }
    SimPrinter& printer() { return *printer_; }

private:
    bool inIeee1284Mode() const;
    void arm(int reads);
    void step();
    void onCompatibilityControl(const HostLines& previous);
    void takeByte();
    void endAcknowledge();
    void answerNegotiation();
    void offerDataFlags();
    void putNibble();
    void releaseNibble();
    void answerTermination();
    void endTermination();
    void returnToCompatibility();
    bool dataAvailable();
    void collectReplies();
    bool stuckBusy() const;
    bool printerBusy() const;

    std::shared_ptr<SimPrinter> printer_;
    PeripheralFaults faults_;
    int reactionReads_ = kDefaultReactionReads;

    HostLines host_;
    PeripheralLines out_;
    Phase phase_ = Phase::CompatibilityIdle;
    int countdown_ = 0; // status reads until the next step; 0 when none is due

    std::uint8_t data_ = 0;
    std::uint8_t latched_ = 0;
    std::uint8_t extensibility_ = 0;
    int bytesTaken_ = 0;

    QByteArray reverse_; // transmitted by the printer, not yet sent to the host
    int seenResets_ = 0;
    std::uint8_t byteOnLines_ = 0;
    bool highHalf_ = false;
    int nibblesSent_ = 0;
};

} // namespace Sim
