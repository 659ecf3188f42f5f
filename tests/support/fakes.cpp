#include "fakes.h"

#include "simparallelport.h"

#include <QTimer>

namespace TestSupport {

bool FakeSerialControl::output(const QByteArray& block)
{
    writes << block;
    log(QStringLiteral("write"));
    if (lostAfterWrite)
        QTimer::singleShot(0, [this] { isOpen = false; });
    return !outputFails;
}

std::optional<std::uint8_t> FakeSerialControl::inputByte()
{
    if (input.isEmpty())
        return std::nullopt;
    const auto byte = static_cast<std::uint8_t>(input.front());
    input.remove(0, 1);
    return byte;
}

void FakeSerialControl::log(const QString& call)
{
    calls << (context ? call + context() : call);
    at[call] = clock_.elapsed();
}

FakePortIo::FakePortIo(std::shared_ptr<Sim::Ieee1284Peripheral> peripheral, std::uint16_t base)
    : base_(base)
{
    if (peripheral)
        port_ = std::make_unique<Sim::SimParallelPort>(std::move(peripheral), base);
}

FakePortIo::~FakePortIo() = default;

bool FakePortIo::initialize()
{
    ++initializeCalls;
    return available && (!port_ || port_->initialize());
}

void FakePortIo::shutdown()
{
    ++shutdownCalls;
    if (shutdownTally)
        ++*shutdownTally;
    if (port_)
        port_->shutdown();
}

bool FakePortIo::read(std::uint16_t address, std::uint32_t* value, std::uint8_t size)
{
    if (!trace.isEmpty() && trace.last() == QLatin1String("R")) {
        ++runs.last();
    } else {
        trace << QStringLiteral("R");
        runs << 1;
    }
    const bool statusRegister = address == base_ + 1;
    if (status && (statusRegister || port_))
        return *value = *status, true;
    if (port_)
        return port_->read(address, value, size);
    *value = statusRegister ? 0xD8 : 0;
    return true;
}

bool FakePortIo::write(std::uint16_t address, std::uint32_t value, std::uint8_t size)
{
    trace << QStringLiteral("W%1 %2")
                 .arg(address - base_)
                 .arg(value & 0xFF, 2, 16, QLatin1Char('0'))
                 .toUpper();
    if (address == base_ + 2)
        control_ = static_cast<std::uint8_t>(value);
    return !port_ || port_->write(address, value, size);
}

std::uint8_t FakePortIo::controlRegister() const
{
    return port_ ? port_->controlRegister() : control_;
}

} // namespace TestSupport
