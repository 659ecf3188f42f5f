#include "ieee1284peripheral.h"

namespace Sim {

namespace {

// What a printer that always has more to say keeps sending.
constexpr std::uint8_t kEndlessFiller = 0x55;

} // namespace

Ieee1284Peripheral::Ieee1284Peripheral(std::shared_ptr<SimPrinter> printer)
    : printer_(std::move(printer)), seenResets_(printer_->softwareResets())
{
    returnToCompatibility();
}

bool Ieee1284Peripheral::inIeee1284Mode() const
{
    return phase_ >= Phase::NegotiationAsked && phase_ < Phase::TerminationAsked;
}

void Ieee1284Peripheral::arm(int reads)
{
    countdown_ = reads;
}

void Ieee1284Peripheral::hostDrivesControl(const HostLines& lines)
{
    const HostLines previous = host_;
    host_ = lines;
    if (!lines.nInit) { // nInit low ends any IEEE 1284 mode at once
        returnToCompatibility();
        return;
    }
    if (inIeee1284Mode() && !lines.nSelectIn) { // event 22
        if (phase_ == Phase::NegotiationAsked) {
            returnToCompatibility(); // the host gave up before the answer
        } else {
            phase_ = Phase::TerminationAsked;
            arm(1);
        }
        return;
    }
    switch (phase_) {
    case Phase::CompatibilityIdle:
    case Phase::StrobeLatched:
        onCompatibilityControl(previous);
        break;
    case Phase::NegotiationAnswered:
        if (!lines.nStrobe) { // event 3
            extensibility_ = data_;
            phase_ = Phase::RequestStrobed;
        }
        break;
    case Phase::RequestStrobed:
        if (lines.nStrobe && lines.nAutoFd) { // event 4
            phase_ = Phase::Accepting;
            arm(reactionReads_);
        }
        break;
    case Phase::ReverseIdle:
        if (!lines.nAutoFd && (highHalf_ || dataAvailable())) { // event 7
            phase_ = Phase::NibbleAsked;
            arm(reactionReads_);
        }
        break;
    case Phase::NibbleOnLines:
        if (lines.nAutoFd) { // event 10
            phase_ = Phase::NibbleTaken;
            arm(reactionReads_);
        }
        break;
    case Phase::TerminationAnswered:
        if (!lines.nAutoFd) { // event 25
            phase_ = Phase::TerminationEnding;
            arm(reactionReads_);
        }
        break;
    case Phase::TerminationEnding:
    case Phase::TerminationDone:
        if (lines.nAutoFd) // event 28 (early or not)
            returnToCompatibility();
        break;
    default:
        break;
    }
}

void Ieee1284Peripheral::onCompatibilityControl(const HostLines& previous)
{
    if (phase_ == Phase::StrobeLatched) {
        if (host_.nStrobe) {
            phase_ = Phase::TakingByte;
            arm(reactionReads_);
        }
        return;
    }
    if (previous.nStrobe && !host_.nStrobe) {
        latched_ = data_;
        out_.busy = true;
        phase_ = Phase::StrobeLatched;
        return;
    }
    const bool request = host_.nSelectIn && !host_.nAutoFd; // event 1
    const bool requested = previous.nSelectIn && !previous.nAutoFd;
    if (request && !requested && !faults_.noReverseChannel && !printer_->vanished()) {
        phase_ = Phase::NegotiationAsked;
        arm(reactionReads_);
    }
}

PeripheralLines Ieee1284Peripheral::hostReadsStatus()
{
    collectReplies();
    if (countdown_ > 0 && --countdown_ == 0) {
        step(); // the host sees the step's lines at least once
        return lines();
    }
    if (phase_ == Phase::CompatibilityIdle) {
        out_.busy = printerBusy();
    } else if (phase_ == Phase::ReverseIdle && !highHalf_) {
        // Between bytes nFault (nDataAvail) and PError tell whether data is
        // there; data that comes late is announced here.
        const bool data = dataAvailable();
        out_.nFault = out_.pError = !data;
        if (!host_.nAutoFd && data && countdown_ == 0) {
            phase_ = Phase::NibbleAsked;
            arm(reactionReads_);
        }
    }
    return lines();
}

PeripheralLines Ieee1284Peripheral::lines() const
{
    if (printer_->vanished())
        return {true, true, true, true, true}; // nothing on the cable: every line pulled up
    return out_;
}

void Ieee1284Peripheral::step()
{
    switch (phase_) {
    case Phase::TakingByte:
        takeByte();
        break;
    case Phase::Acknowledging:
        endAcknowledge();
        break;
    case Phase::NegotiationAsked:
        answerNegotiation();
        break;
    case Phase::Accepting:
        // Event 5: XFlag (Select) low, as for every nibble-mode request; a
        // request for a mode this printer lacks gets the same low XFlag,
        // meaning "not supported", and the host terminates.
        out_.select = false;
        out_.nFault = out_.pError = !dataAvailable();
        phase_ = Phase::Accepted;
        arm(reactionReads_);
        break;
    case Phase::Accepted:
        out_.nAck = true; // event 6
        phase_ = Phase::ReverseIdle;
        break;
    case Phase::NibbleAsked:
        putNibble();
        break;
    case Phase::NibbleTaken:
        releaseNibble();
        break;
    case Phase::TerminationAsked:
        answerTermination();
        break;
    case Phase::TerminationEnding:
        endTermination();
        break;
    default:
        break;
    }
}

void Ieee1284Peripheral::takeByte()
{
    if (printerBusy() ||
        printer_->feed(QByteArrayView(reinterpret_cast<const char*>(&latched_), 1)) == 0) {
        arm(1); // BUSY stays high until the printer takes the byte
        return;
    }
    ++bytesTaken_;
    out_.nAck = false;
    phase_ = Phase::Acknowledging;
    arm(reactionReads_);
}

void Ieee1284Peripheral::endAcknowledge()
{
    // The byte went into the printer's input buffer, so BUSY falls even if
    // the command it completed (OUT) starts a reset; the reset's BUSY shows
    // from the next read on.
    out_.nAck = true;
    out_.busy = stuckBusy();
    phase_ = Phase::CompatibilityIdle;
}

void Ieee1284Peripheral::answerNegotiation()
{
    // Event 2: nAck low, PError high, Select high, nFault high.
    out_.nAck = false;
    out_.pError = true;
    out_.select = true;
    out_.nFault = true;
    phase_ = Phase::NegotiationAnswered;
    highHalf_ = false;
    nibblesSent_ = 0;
}

void Ieee1284Peripheral::putNibble()
{
    if (!highHalf_) {
        if (!reverse_.isEmpty()) {
            byteOnLines_ = static_cast<std::uint8_t>(reverse_.front());
            reverse_.remove(0, 1);
        } else {
            byteOnLines_ = kEndlessFiller;
        }
    }
    const std::uint8_t nibble = highHalf_ ? byteOnLines_ >> 4 : byteOnLines_ & 0x0F;
    // Event 8: nibble bits 0-3 on nFault, Select, PError, BUSY; event 9: nAck low.
    out_.nFault = nibble & 0x1;
    out_.select = nibble & 0x2;
    out_.pError = nibble & 0x4;
    out_.busy = nibble & 0x8;
    out_.nAck = false;
    ++nibblesSent_;
    phase_ = Phase::NibbleOnLines;
}

void Ieee1284Peripheral::releaseNibble()
{
    if (faults_.nAckStuckAtNibble && nibblesSent_ - 1 == *faults_.nAckStuckAtNibble) {
        phase_ = Phase::NibbleStuck;
        return;
    }
    if (highHalf_) {
        // The byte is complete: nDataAvail (and PError with it) says whether
        // another follows, before nAck rises.
        highHalf_ = false;
        out_.nFault = out_.pError = !dataAvailable();
    } else {
        highHalf_ = true;
    }
    out_.nAck = true; // event 11
    phase_ = Phase::ReverseIdle;
}

void Ieee1284Peripheral::answerTermination()
{
    if (highHalf_ && !faults_.endlessData)
        reverse_.prepend(static_cast<char>(byteOnLines_)); // half sent: offered whole next time
    highHalf_ = false;
    // Event 23: BUSY and nFault high; event 24: nAck low, XFlag (Select)
    // turned from its nibble-mode low.
    out_.busy = true;
    out_.nFault = true;
    out_.select = true;
    out_.nAck = false;
    phase_ = Phase::TerminationAnswered;
}

void Ieee1284Peripheral::endTermination()
{
    // Events 26 and 27: the compatibility-mode status, then nAck high.
    out_ = PeripheralLines{};
    out_.busy = printerBusy();
    phase_ = Phase::TerminationDone;
}

void Ieee1284Peripheral::returnToCompatibility()
{
    if (highHalf_ && !faults_.endlessData)
        reverse_.prepend(static_cast<char>(byteOnLines_));
    out_ = PeripheralLines{};
    out_.busy = printerBusy();
    phase_ = Phase::CompatibilityIdle;
    countdown_ = 0;
    highHalf_ = false;
}

bool Ieee1284Peripheral::dataAvailable()
{
    collectReplies();
    return !reverse_.isEmpty() || faults_.endlessData;
}

void Ieee1284Peripheral::collectReplies()
{
    // A software reset clears what the printer had not yet sent back.
    if (printer_->softwareResets() != seenResets_) {
        seenResets_ = printer_->softwareResets();
        reverse_.clear();
    }
    reverse_ += printer_->takeReply();
}

bool Ieee1284Peripheral::stuckBusy() const
{
    const bool stuck = faults_.busyAfterBytes && bytesTaken_ >= *faults_.busyAfterBytes;
    return stuck || printer_->faults().stopsTaking || printer_->vanished();
}

bool Ieee1284Peripheral::printerBusy() const
{
    return stuckBusy() || !printer_->takingInput();
}

} // namespace Sim
