#include "seams.h"

#include "common/waitms.h"
#include "dialogs/dlgver.h"
#include "link/link.h"
#include "link/portio.h"
#include "link/rawprint.h"
#include "settings/printercatalog.h"
#include "settings/settingsfile.h"

namespace TestSupport {

Seams::Seams(int waitScalePercent)
{
    messages_.emplace();
    Common::SetWaitScaleForTests(waitScalePercent);
}

Seams::~Seams()
{
    Common::ReleaseLink();
    Common::SetSerialControl(nullptr);
    Common::SetPortIoBackend(nullptr);
    Common::SetRawPrintBackend(nullptr);
    Common::SetPrinterCatalog(nullptr);
    Common::SetSettingsClockForTests(nullptr);
    Common::SetStartupSplashForTests(nullptr);
    Common::SetWaitScaleForTests(100);
    messages_.reset();
}

void Seams::serialControl(std::unique_ptr<Common::SerialControl> control)
{
    Common::SetSerialControl(std::move(control));
}

void Seams::portIo(std::unique_ptr<Common::PortIoBackend> backend)
{
    Common::SetPortIoBackend(std::move(backend));
}

void Seams::rawPrint(std::unique_ptr<Common::RawPrintBackend> backend)
{
    Common::SetRawPrintBackend(std::move(backend));
}

void Seams::printers(std::unique_ptr<Common::PrinterCatalog> catalog)
{
    Common::SetPrinterCatalog(std::move(catalog));
}

void Seams::clock(std::function<QDateTime()> now)
{
    Common::SetSettingsClockForTests(std::move(now));
}

void Seams::splash(std::function<void()> replacement)
{
    Common::SetStartupSplashForTests(std::move(replacement));
}

void Seams::waitScale(int percent)
{
    Common::SetWaitScaleForTests(percent);
}

void Seams::clearMessages()
{
    messages_.reset();
    messages_.emplace();
}

} // namespace TestSupport
