#pragma once
// The PC side of a parallel port with the simulated peripheral on its cable,
// behind the port-I/O seam: data, status and control registers at base + 0,
// 1 and 2, with the inversions the port hardware applies between register
// bits and cable lines.
//
//   control bit 0, 1, 3 written as 1 drive nStrobe, nAutoFd, nSelectIn low
//   control bit 2 is nInit as is (1 = released)
//   status bit 7 is the BUSY line inverted; bits 6, 5, 4, 3 are nAck, PError,
//   Select and nFault as they are; bits 2-0 read as 1 (nothing drives them)

#include "ieee1284peripheral.h"

#include "link/portio.h"

#include <cstdint>
#include <memory>

namespace Sim {

class SimParallelPort : public Common::PortIoBackend {
public:
    static constexpr std::uint16_t kLpt1 = 0x378;

    explicit SimParallelPort(std::shared_ptr<Ieee1284Peripheral> peripheral,
                             std::uint16_t base = kLpt1);

    bool initialize() override;
    void shutdown() override;
    bool read(std::uint16_t address, std::uint32_t* value, std::uint8_t size) override;
    bool write(std::uint16_t address, std::uint32_t value, std::uint8_t size) override;

    // Status register bits from the lines on the cable.
    static std::uint8_t StatusFromLines(const PeripheralLines& lines);
    // Cable lines from a control register value.
    static HostLines LinesFromControl(std::uint8_t control);

    std::uint16_t base() const { return base_; }
    std::uint8_t dataRegister() const { return data_; }
    std::uint8_t controlRegister() const { return control_; }
    std::uint64_t statusReads() const { return statusReads_; }
    void resetCounters() { statusReads_ = 0; }
    bool initialized() const { return initialized_; }
    Ieee1284Peripheral& peripheral() { return *peripheral_; }

private:
    std::shared_ptr<Ieee1284Peripheral> peripheral_;
    std::uint16_t base_;
    std::uint8_t data_ = 0;
    std::uint8_t control_ = 0xCC;
    std::uint64_t statusReads_ = 0;
    bool initialized_ = false;
};

} // namespace Sim
