#include "settings/printercatalog.h"

#include <cups/cups.h>

namespace Common {

namespace {

// Asks the CUPS scheduler for its queues (CUPS-Get-Printers) rather than
// using cupsGetDests, which may browse the network for a while. No scheduler
// means no connection and an empty list at once.
class CupsPrinterCatalog final : public PrinterCatalog {
public:
    QList<InstalledPrinter> installedPrinters() override
    {
        QList<InstalledPrinter> printers;
        http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(),
                                    1, 1000, nullptr);
        if (!http)
            return printers;
        static const char* const attributes[] = {"printer-name", "device-uri"};
        ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2,
                      nullptr, attributes);
        ipp_t* response = cupsDoRequest(http, request, "/"); // frees the request
        if (response) {
            collect(response, printers);
            ippDelete(response);
        }
        httpClose(http);
        return printers;
    }

private:
    static void collect(ipp_t* response, QList<InstalledPrinter>& printers)
    {
        InstalledPrinter current;
        auto flush = [&]() {
            if (!current.name.isEmpty())
                printers.append(current);
            current = InstalledPrinter{};
        };
        for (ipp_attribute_t* attr = ippFirstAttribute(response); attr;
             attr = ippNextAttribute(response)) {
            const char* name = ippGetName(attr);
            if (!name) { // a separator between two printers' groups
                flush();
                continue;
            }
            if (ippGetGroupTag(attr) != IPP_TAG_PRINTER)
                continue;
            const QString value = QString::fromUtf8(ippGetString(attr, 0, nullptr));
            if (qstrcmp(name, "printer-name") == 0)
                current.name = value;
            else if (qstrcmp(name, "device-uri") == 0)
                current.deviceUri = value;
        }
        flush();
    }
};

std::unique_ptr<PrinterCatalog>& CatalogSlot()
{
    static std::unique_ptr<PrinterCatalog> catalog;
    return catalog;
}

} // namespace

std::unique_ptr<PrinterCatalog> MakeCupsPrinterCatalog()
{
    return std::make_unique<CupsPrinterCatalog>();
}

PrinterCatalog& ActivePrinterCatalog()
{
    auto& slot = CatalogSlot();
    if (!slot)
        slot = MakeCupsPrinterCatalog();
    return *slot;
}

void SetPrinterCatalog(std::unique_ptr<PrinterCatalog> catalog)
{
    CatalogSlot() = std::move(catalog);
}

} // namespace Common
