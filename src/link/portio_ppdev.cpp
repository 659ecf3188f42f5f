// Port I/O on Linux ppdev. Each parallel port is a /dev/parportN device,
// opened and claimed on the first access to one of its registers, so a
// machine without one starts up quietly and only the parallel interface
// fails when used.
//
// ppdev's register calls take and give the PC registers' own bit values:
// PPRSTATUS is the status register as read (bit 7 already the inverse of the
// BUSY line), PPWCONTROL writes control bits 0-3 as given (bits 0, 1 and 3
// inverted on the cable by the port hardware, as with a direct write). So no
// bit is inverted here. Control bits 4-7 belong to the driver (interrupt
// enable, data direction); the values the link writes keep bit 5 clear
// (data lines driven by the host), and a control read returns the four line
// bits under the upper bits last written, as the PC register would.
//
// A port that cannot be opened reads 0xFF, as an empty I/O address does, and
// every access to it returns false. It is tried again at most once a second.

#include "common/linkfacts.h"
#include "common/unixfd.h"
#include "link/linkfailure.h"
#include "link/portio.h"
#include "link/portresolver.h"

#include <QFile>
#include <array>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <optional>
#include <sys/ioctl.h>

namespace Common {

namespace {

using Clock = std::chrono::steady_clock;

struct Register {
    std::size_t port;     // 0 for LPT1
    std::uint16_t offset; // 0 data, 1 status, 2 control
};

std::optional<Register> Locate(std::uint16_t address)
{
    for (std::size_t i = 0; i < LptBaseAddresses.size(); ++i) {
        const std::uint16_t base = LptBaseAddresses[i];
        if (address >= base && address <= base + 2)
            return Register{i, static_cast<std::uint16_t>(address - base)};
    }
    return std::nullopt;
}

struct ParallelPort {
    UniqueFd fd;
    Clock::time_point retryAfter{};
    std::uint8_t controlUpper = 0xC0;
    std::optional<QString> problem; // why the last claim failed
};

class PpdevBackend final : public PortIoBackend {
public:
    ~PpdevBackend() override { shutdown(); }
    bool initialize() override { return true; } // ports are opened when first used
    void shutdown() override;
    bool read(std::uint16_t address, std::uint32_t* value, std::uint8_t size) override;
    bool write(std::uint16_t address, std::uint32_t value, std::uint8_t size) override;
    std::optional<QString> portProblem(std::uint16_t address) const override;

private:
    // The claimed port, or nothing when it is not there.
    ParallelPort* claim(std::size_t index);

    std::array<ParallelPort, LptBaseAddresses.size()> ports_;
};

void PpdevBackend::shutdown()
{
    for (ParallelPort& port : ports_) {
        if (port.fd.valid())
            ::ioctl(port.fd.get(), PPRELEASE);
        port.fd.reset();
        port.retryAfter = {};
        port.problem.reset();
    }
}

ParallelPort* PpdevBackend::claim(std::size_t index)
{
    ParallelPort& port = ports_[index];
    if (port.fd.valid())
        return &port;
    const Clock::time_point now = Clock::now();
    if (now < port.retryAfter)
        return nullptr;
    port.retryAfter = now + std::chrono::seconds(1);
    const QString device = ResolvePortDevice(QStringLiteral("LPT%1").arg(index + 1));
    UniqueFd fd(::open(QFile::encodeName(device).constData(), O_RDWR | O_CLOEXEC));
    if (!fd.valid() || ::ioctl(fd.get(), PPCLAIM) != 0) {
        port.problem = DeviceErrorText(errno, device);
        return nullptr;
    }
    port.fd = std::move(fd);
    port.problem.reset();
    return &port;
}

std::optional<QString> PpdevBackend::portProblem(std::uint16_t address) const
{
    const std::optional<Register> reg = Locate(address);
    return reg ? ports_[reg->port].problem : std::nullopt;
}

bool PpdevBackend::read(std::uint16_t address, std::uint32_t* value, std::uint8_t size)
{
    *value = 0xFF;
    const std::optional<Register> reg = Locate(address);
    ParallelPort* port = (reg && size == 1) ? claim(reg->port) : nullptr;
    if (!port)
        return false;
    unsigned char byte = 0xFF;
    const unsigned long request = reg->offset == 0   ? PPRDATA
                                  : reg->offset == 1 ? PPRSTATUS
                                                     : PPRCONTROL;
    if (::ioctl(port->fd.get(), request, &byte) != 0)
        return false;
    if (reg->offset == 2)
        byte = static_cast<unsigned char>(port->controlUpper | (byte & 0x0F));
    *value = byte;
    return true;
}

bool PpdevBackend::write(std::uint16_t address, std::uint32_t value, std::uint8_t size)
{
    const std::optional<Register> reg = Locate(address);
    if (!reg || size != 1 || reg->offset == 1)
        return false; // the status register is read-only
    ParallelPort* port = claim(reg->port);
    if (!port)
        return false;
    unsigned char byte = static_cast<unsigned char>(value & 0xFF);
    if (reg->offset == 0)
        return ::ioctl(port->fd.get(), PPWDATA, &byte) == 0;
    port->controlUpper = byte & 0xF0;
    byte &= 0x0F; // bit 5 would turn the data lines around behind the driver's back
    return ::ioctl(port->fd.get(), PPWCONTROL, &byte) == 0;
}

} // namespace

std::unique_ptr<PortIoBackend> MakePpdevBackend()
{
    return std::make_unique<PpdevBackend>();
}

} // namespace Common
