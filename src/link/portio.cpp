#include "link/portio.h"

namespace Common {

namespace {

std::unique_ptr<PortIoBackend>& Installed()
{
    static std::unique_ptr<PortIoBackend> backend;
    return backend;
}

bool g_initialized = false; // between InitializeWinIo and ShutdownWinIo

} // namespace

PortIoBackend& ActivePortIoBackend()
{
    std::unique_ptr<PortIoBackend>& backend = Installed();
    if (!backend)
        backend = MakePpdevBackend();
    return *backend;
}

void SetPortIoBackend(std::unique_ptr<PortIoBackend> backend)
{
    if (Installed())
        Installed()->shutdown();
    Installed() = std::move(backend);
    // A replacement arriving after start-up is put in the same state.
    if (g_initialized)
        ActivePortIoBackend().initialize();
}

bool InitializeWinIo()
{
    g_initialized = true;
    return ActivePortIoBackend().initialize();
}

void ShutdownWinIo()
{
    g_initialized = false;
    if (Installed())
        Installed()->shutdown();
}

bool GetPortVal(std::uint16_t address, std::uint32_t* value, std::uint8_t size)
{
    return value && ActivePortIoBackend().read(address, value, size);
}

bool SetPortVal(std::uint16_t address, std::uint32_t value, std::uint8_t size)
{
    return ActivePortIoBackend().write(address, value, size);
}

} // namespace Common
