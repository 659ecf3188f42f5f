#include "link/rawprint.h"

namespace Common {

namespace {

std::unique_ptr<RawPrintBackend>& Installed()
{
    static std::unique_ptr<RawPrintBackend> backend;
    return backend;
}

} // namespace

RawPrintBackend& ActiveRawPrintBackend()
{
    std::unique_ptr<RawPrintBackend>& backend = Installed();
    if (!backend)
        backend = MakeDeviceNodeRawPrintBackend();
    return *backend;
}

void SetRawPrintBackend(std::unique_ptr<RawPrintBackend> backend)
{
    Installed() = std::move(backend);
}

std::int16_t dpSetOutputPort(const QByteArray& portName)
{
    return ActiveRawPrintBackend().setOutputPort(portName);
}

void dpOutputData(std::uint32_t reserved, const std::uint8_t* data, std::uint32_t count,
                  const QByteArray& jobName)
{
    ActiveRawPrintBackend().outputData(reserved, data, count, jobName);
}

std::int16_t dpEnumJobs()
{
    return ActiveRawPrintBackend().enumJobs();
}

} // namespace Common
