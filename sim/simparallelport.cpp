#include "simparallelport.h"

namespace Sim {

namespace {

constexpr std::uint8_t kUndrivenStatusBits = 0x07;
constexpr std::uint8_t kControlStrobe = 0x01;
constexpr std::uint8_t kControlAutoFd = 0x02;
constexpr std::uint8_t kControlInit = 0x04;
constexpr std::uint8_t kControlSelectIn = 0x08;
constexpr std::uint8_t kControlReverse = 0x20; // data lines not driven by the host
constexpr std::uint8_t kNothingThere = 0xFF;

} // namespace

SimParallelPort::SimParallelPort(std::shared_ptr<Ieee1284Peripheral> peripheral, std::uint16_t base)
    : peripheral_(std::move(peripheral)), base_(base)
{
    peripheral_->hostDrivesControl(LinesFromControl(control_));
}

bool SimParallelPort::initialize()
{
    initialized_ = true;
    return true;
}

void SimParallelPort::shutdown()
{
    initialized_ = false;
}

std::uint8_t SimParallelPort::StatusFromLines(const PeripheralLines& lines)
{
    std::uint8_t status = kUndrivenStatusBits;
    status |= lines.busy ? 0x00 : 0x80;
    status |= lines.nAck ? 0x40 : 0x00;
    status |= lines.pError ? 0x20 : 0x00;
    status |= lines.select ? 0x10 : 0x00;
    status |= lines.nFault ? 0x08 : 0x00;
    return status;
}

HostLines SimParallelPort::LinesFromControl(std::uint8_t control)
{
    HostLines lines;
    lines.nStrobe = !(control & kControlStrobe);
    lines.nAutoFd = !(control & kControlAutoFd);
    lines.nInit = (control & kControlInit) != 0;
    lines.nSelectIn = !(control & kControlSelectIn);
    return lines;
}

bool SimParallelPort::read(std::uint16_t address, std::uint32_t* value, std::uint8_t size)
{
    if (!value || size != 1)
        return false;
    switch (address - base_) {
    case 0:
        // With the data lines turned round nobody drives them in nibble mode.
        *value = (control_ & kControlReverse) ? kNothingThere : data_;
        return true;
    case 1:
        ++statusReads_;
        *value = StatusFromLines(peripheral_->hostReadsStatus());
        return true;
    case 2:
        *value = control_;
        return true;
    default:
        *value = kNothingThere; // no port at this address
        return true;
    }
}

bool SimParallelPort::write(std::uint16_t address, std::uint32_t value, std::uint8_t size)
{
    if (size != 1)
        return false;
    const auto byte = static_cast<std::uint8_t>(value);
    switch (address - base_) {
    case 0:
        data_ = byte;
        peripheral_->hostDrivesData(byte);
        return true;
    case 2:
        control_ = byte;
        peripheral_->hostDrivesControl(LinesFromControl(byte));
        return true;
    default:
        return true; // the status register and absent ports ignore writes
    }
}

} // namespace Sim
