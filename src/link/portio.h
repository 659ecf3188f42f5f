#pragma once
// Direct access to the parallel port registers. The four functions keep the
// calling contract the link was written against: one byte per access, one call
// per access, each write in effect when the call returns.
//
// The real backend drives Linux ppdev on /dev/parportN; the I/O address picks
// the port (378h LPT1, 278h LPT2, 3BCh LPT3) and the offset the register
// (0 data, 1 status, 2 control). Tests install a simulated peripheral instead.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace Common {

class PortIoBackend {
public:
    virtual ~PortIoBackend() = default;
    virtual bool initialize() = 0;
    virtual void shutdown() = 0;
    // Reads the byte at the I/O address into the low bits of *value.
    virtual bool read(std::uint16_t address, std::uint32_t* value, std::uint8_t size) = 0;
    virtual bool write(std::uint16_t address, std::uint32_t value, std::uint8_t size) = 0;
    // Why the port of the I/O address could not be reached at its last try
    // (no such device, no permission, claimed elsewhere), naming the device;
    // nothing while it is reachable or untried.
    virtual std::optional<QString> portProblem(std::uint16_t /*address*/) const
    {
        return std::nullopt;
    }
};

bool InitializeWinIo();
void ShutdownWinIo();
bool GetPortVal(std::uint16_t address, std::uint32_t* value, std::uint8_t size);
bool SetPortVal(std::uint16_t address, std::uint32_t value, std::uint8_t size);

// Replaces the backend (nullptr restores ppdev). The previous one is shut
// down first; the new one is initialised at once when port I/O has been
// initialised (InitializeWinIo without ShutdownWinIo since).
void SetPortIoBackend(std::unique_ptr<PortIoBackend> backend);
PortIoBackend& ActivePortIoBackend();

std::unique_ptr<PortIoBackend> MakePpdevBackend();

} // namespace Common
