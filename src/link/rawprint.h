#pragma once
// Raw printing: blocks of bytes sent as jobs to a named printer port
// ("USB001" .. "USB015"), and a count of the jobs the printer has not taken.
//
// The real backend writes to the USB printer device node that the port name
// resolves to, holding the node only while a port is selected. A job is one
// block; it stays pending until the device has taken every byte of it and
// polls writable again (the driver accepts a write before the printer has
// it), so a printer that stops taking bytes (offline) reads as a pending
// job. Writing never blocks the window thread: what the device does not take
// at once is written as it becomes writable.

#include <QByteArray>
#include <cstdint>
#include <memory>

namespace Common {

class RawPrintBackend {
public:
    virtual ~RawPrintBackend() = default;
    virtual std::int16_t setOutputPort(const QByteArray& portName) = 0;
    virtual void outputData(std::uint32_t reserved, const std::uint8_t* data, std::uint32_t count,
                            const QByteArray& jobName) = 0;
    virtual std::int16_t enumJobs() = 0;
    // The system's description of the last failure, for messages.
    virtual QString lastError() const = 0;
    // Gives up the selected port and whatever it has not taken (exit, tests).
    virtual void releasePort() {}
};

// Negative when the port cannot be selected.
std::int16_t dpSetOutputPort(const QByteArray& portName);
void dpOutputData(std::uint32_t reserved, const std::uint8_t* data, std::uint32_t count,
                  const QByteArray& jobName);
// Jobs not yet taken by the printer; 0 when none is pending.
std::int16_t dpEnumJobs();

void SetRawPrintBackend(std::unique_ptr<RawPrintBackend> backend);
RawPrintBackend& ActiveRawPrintBackend();
std::unique_ptr<RawPrintBackend> MakeDeviceNodeRawPrintBackend();

} // namespace Common
