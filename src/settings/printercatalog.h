#pragma once
// The list of printers installed in the system's print service. The real
// catalogue asks the CUPS scheduler; tests may install another.

#include "common/appsettings.h"

#include <QList>
#include <memory>

namespace Common {

class PrinterCatalog {
public:
    virtual ~PrinterCatalog() = default;
    // The installed printers, in the order the print service reports them.
    // An unreachable print service gives an empty list, without delay.
    virtual QList<InstalledPrinter> installedPrinters() = 0;
};

// The catalogue InitGlobals uses; the CUPS one unless replaced.
PrinterCatalog& ActivePrinterCatalog();
// Replaces the catalogue (nullptr restores the CUPS one).
void SetPrinterCatalog(std::unique_ptr<PrinterCatalog> catalog);

std::unique_ptr<PrinterCatalog> MakeCupsPrinterCatalog();

} // namespace Common
