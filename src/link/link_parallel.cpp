// The parallel interface: compatibility-mode strobe/busy handshake out, and
// the IEEE 1284 nibble-mode reverse channel back, register by register.
// Every time limit here is a count of status reads or of idle iterations,
// not a measured time.

#include "common/appsettings.h"
#include "common/waitms.h"
#include "link/hexcommand.h"
#include "link/link.h"
#include "link/linkdrivers.h"
#include "link/portio.h"

namespace Common {

namespace {

constexpr std::uint16_t kData = 0;
constexpr std::uint16_t kStatus = 1;
constexpr std::uint16_t kControl = 2;

// Control values (bit 0 strobe, 1 auto-feed, 3 select-in asserted when 1;
// bit 2 set keeps initialise released; bits 7 and 6 written as 1).
constexpr std::uint8_t kIdle = 0xCC;          // compatibility mode, select-in asserted
constexpr std::uint8_t kStrobe = 0xCD;        // idle with the strobe asserted
constexpr std::uint8_t kHostReady = 0xC6;     // 1284 active, auto-feed asserted
constexpr std::uint8_t kRequestStrobe = 0xC7; // the request byte strobed in
constexpr std::uint8_t kHostBusy = 0xC4;      // 1284 active, nibble taken
constexpr std::uint8_t kTerminate = 0xCE;     // select-in and auto-feed asserted

constexpr std::uint8_t kNibbleModeRequest = 0x00;

// Idle iterations the compiler may not remove: they are the strobe width
// and the settling times the printer relies on.
void BusyCount(int iterations)
{
    for (volatile int i = 0; i < iterations; i = i + 1) {
    }
}

// Reads the status up to `reads` times until (status AND mask) = want.
bool WaitForStatus(std::uint8_t mask, std::uint8_t want, int reads)
{
    for (int i = 0; i < reads; ++i) {
        if ((ReadLptRegister(kStatus) & mask) == want)
            return true;
    }
    return false;
}

bool WaitForAck(bool low, int reads)
{
    for (int i = 0; i < reads; ++i) {
        if (LptAckLow() == low)
            return true;
    }
    return false;
}

// Fault is bit 0, select bit 1, paper end bit 2, and the BUSY line (the
// inverse of status bit 7) bit 3.
std::uint8_t NibbleFromStatus(std::uint8_t status)
{
    return static_cast<std::uint8_t>(((status & 0x08) ? 0x1 : 0) | ((status & 0x10) ? 0x2 : 0) |
                                     ((status & 0x20) ? 0x4 : 0) | ((status & 0x80) ? 0 : 0x8));
}

// One byte out; false when the printer did not become ready again.
bool PutLptByte(std::uint8_t value)
{
    WriteLptRegister(kControl, kIdle);
    WriteLptRegister(kData, value);
    WriteLptRegister(kControl, kStrobe);
    BusyCount(10);
    WriteLptRegister(kControl, kIdle);
    for (int poll = 0; poll < 9990; ++poll) {
        if (!LptNotReady())
            return true;
    }
    return false;
}

// One nibble: host ready, the printer lowers the acknowledge line with the
// nibble on the status lines, host busy, the printer raises it again. The
// caller waits for that last rise where it needs it.
std::optional<std::uint8_t> TakeNibble()
{
    WriteLptRegister(kControl, kHostReady);
    if (!WaitForAck(true, 99999))
        return std::nullopt;
    const std::uint8_t nibble = NibbleFromStatus(ReadLptRegister(kStatus));
    WriteLptRegister(kControl, kHostBusy);
    return nibble;
}

} // namespace

std::uint8_t ReadLptRegister(std::uint16_t offset)
{
    std::uint32_t value = 0xFF; // what an absent port reads
    GetPortVal(static_cast<std::uint16_t>(AppSettings.LPTAddress + offset), &value, 1);
    return static_cast<std::uint8_t>(value & 0xFF);
}

void WriteLptRegister(std::uint16_t offset, std::uint8_t value)
{
    SetPortVal(static_cast<std::uint16_t>(AppSettings.LPTAddress + offset), value, 1);
}

LinkOutcome OpenParallel()
{
    // The first register access claims the port; a port that cannot be
    // claimed is named once a run, not at every operation after.
    static QStringList reported;
    ReadLptRegister(kStatus);
    const std::optional<QString> problem =
        ActivePortIoBackend().portProblem(AppSettings.LPTAddress);
    if (!problem || reported.contains(*problem))
        return std::nullopt;
    reported << *problem;
    return LinkFailure{*problem};
}

bool LptNotReady()
{
    // Ready: not busy, acknowledge high, paper present, selected, no fault.
    return (ReadLptRegister(kStatus) & 0xF8) != 0xD8;
}

bool LptAckLow()
{
    return (ReadLptRegister(kStatus) & 0x40) == 0;
}

void SendLptByte(std::uint8_t value)
{
    if (!PutLptByte(value))
        ErrorFlag = true;
}

void SendParallel(const QByteArray& bytes)
{
    if (LptNotReady()) {
        ErrorFlag = true;
        return;
    }
    for (const char byte : bytes) {
        if (!PutLptByte(static_cast<std::uint8_t>(byte))) {
            ErrorFlag = true; // the rest stays unsent
            return;
        }
    }
}

bool NegotiateNibbleMode()
{
    WriteLptRegister(kControl, kIdle);
    WriteLptRegister(kData, kNibbleModeRequest);
    BusyCount(100);
    WriteLptRegister(kControl, kHostReady);
    // The printer answers: acknowledge low, paper end, select and fault high.
    if (!WaitForStatus(0x78, 0x38, 99999)) {
        ErrorFlag = true;
        return false;
    }
    BusyCount(999);
    WriteLptRegister(kControl, kRequestStrobe);
    BusyCount(199);
    WriteLptRegister(kControl, kHostBusy);
    // Accepted with data waiting: acknowledge high, paper end, select, fault low.
    if (WaitForStatus(0x78, 0x40, 9999))
        return true;
    ErrorFlag = true;
    return false;
}

QString ReadNibbleData()
{
    QString reply;
    int count = 0;
    for (;;) {
        BusyCount(8999);
        const std::optional<std::uint8_t> low = TakeNibble();
        if (!low || !WaitForAck(false, 99999))
            break; // the byte under way is dropped
        const std::optional<std::uint8_t> high = TakeNibble();
        if (!high)
            break;
        // Acknowledge high with the fault line low: the printer has another byte.
        const bool more = WaitForStatus(0x48, 0x40, 99999);
        reply += ByteToHex(static_cast<std::uint8_t>(*low | (*high << 4)));
        ++count;
        if (count > 200 || !more)
            break; // beyond 201 bytes the printer keeps the rest until termination
    }
    return reply;
}

void TerminateNibbleMode()
{
    WaitMs(100);
    WriteLptRegister(kControl, kIdle);
    WaitMs(100);
    // BUSY line high with the fault line high: the printer takes up the termination.
    if ((ReadLptRegister(kStatus) & 0x88) == 0x08 && WaitForAck(true, 10000)) {
        WriteLptRegister(kData, 0x00);
        WriteLptRegister(kControl, kTerminate);
        // The acknowledge line normally still reads low here, so this ends at once.
        WaitForAck(true, 10000);
    }
    WaitMs(100);
    WriteLptRegister(kControl, kIdle);
}

QString ReceiveParallel()
{
    QString reply;
    if (NegotiateNibbleMode())
        reply = ReadNibbleData();
    TerminateNibbleMode(); // back to compatibility mode whatever happened
    return reply;
}

} // namespace Common
