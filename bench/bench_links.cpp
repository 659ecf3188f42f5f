// How much time the program adds to the pauses of "Set S/No." on the serial
// and the parallel interface. The real main window runs the operation a few
// times against the simulated printer: behind the simulated serial control
// (the line drains at the set baud rate) and behind the register-level
// parallel port with the IEEE 1284 peripheral (compatibility mode out,
// nibble mode back). The pauses run at their real length. For each link it
// prints the total time against the sum of the pauses the operation must
// make and the overhead in percent.

#include "benchsupport.h"
#include "common/appsettings.h"
#include "ieee1284peripheral.h"
#include "link/link.h"
#include "link/portio.h"
#include "simparallelport.h"
#include "simprinter.h"
#include "simserialcontrol.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr std::uint8_t kModelId = 0x35;

// The pauses of "Set S/No.": the model query, its answer, the write with the
// printer's 2000 ms for storing the code, and 200 ms while the next code is
// taken over. A serial send waits 100 ms before and 200 ms after the bytes;
// a parallel reply ends with 300 ms of pauses leaving nibble mode.
constexpr double kSerialSend = 100 + 200;
constexpr double kSerialPausesMs = kSerialSend + 200 + 100 + kSerialSend + 2000 + 200;
constexpr double kParallelPausesMs = 200 + 300 + 100 + 2000 + 200;

struct LinkCase {
    const char* name;
    std::uint8_t interfaceKind;
    QByteArray iniLine;
    double pausesMs;
};

// One link: its own data folder, printer and main window.
class LinkBench {
public:
    explicit LinkBench(const LinkCase& link) : link_(link) {}
    ~LinkBench() { stop(); }
    bool start();
    int run(); // the number of failed runs

private:
    void installLink();
    void stop();

    LinkCase link_;
    Bench::BenchWindow window_;
    std::shared_ptr<Sim::SimPrinter> printer_ = std::make_shared<Sim::SimPrinter>();
};

void LinkBench::installLink()
{
    if (link_.interfaceKind == Common::Serial) {
        Common::SetSerialControl(std::make_unique<Sim::SimSerialControl>(printer_));
    } else {
        auto peripheral = std::make_shared<Sim::Ieee1284Peripheral>(printer_);
        Common::SetPortIoBackend(std::make_unique<Sim::SimParallelPort>(peripheral));
    }
}

bool LinkBench::start()
{
    if (!window_.prepare("Zentab model data\r\n35ZX-P700\r\n",
                         "Zentab    06.Dec.26  09:00\r\nModelName = ZX-P700\r\n" + link_.iniLine +
                             "SerialNo = Printer001\r\n"))
        return false;
    printer_->setModelId(kModelId);
    installLink(); // the start-up opens or initialises it
    return window_.start();
}

int LinkBench::run()
{
    FrmMain& form = window_.form();
    QStringList& messages = window_.messages();
    std::vector<double> totals;
    int failures = 0;
    for (int i = 0; i < kRuns; ++i) {
        messages.clear();
        const QByteArray code = form.TxtSNo->text().toLatin1();
        QElapsedTimer clock;
        clock.start();
        form.CmdSetSNo->click(); // the operation runs to its end inside the click
        const double totalMs = clock.nsecsElapsed() / 1e6;
        const bool stored = printer_->identificationCode() == code &&
                            form.TxtSNo->text().toLatin1() != code; // advanced
        if (!messages.isEmpty() || !stored) {
            std::printf("%s: failed: %s\n", link_.name,
                        qPrintable(messages.join(QLatin1String("; "))));
            ++failures;
            continue;
        }
        totals.push_back(totalMs);
    }
    if (totals.empty())
        return failures;
    const double median = Bench::Median(totals);
    const double worst = Bench::Worst(totals);
    std::printf("%s Set S/No.: runs %zu, pauses %.0f ms\n", link_.name, totals.size(),
                link_.pausesMs);
    std::printf("%s Set S/No.: total median %.1f ms, worst %.1f ms\n", link_.name, median, worst);
    std::printf("%s Set S/No.: overhead median %.2f %%, worst %.2f %%\n", link_.name,
                Bench::OverheadPercent(median, link_.pausesMs),
                Bench::OverheadPercent(worst, link_.pausesMs));
    return failures;
}

void LinkBench::stop()
{
    window_.stop();
    Common::SetSerialControl(nullptr);
    Common::SetPortIoBackend(nullptr);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::vector<LinkCase> links{
        {"Serial", Common::Serial, "Interface = Serial\r\n", kSerialPausesMs},
        {"Parallel", Common::Parallel, "Interface = Parallel\r\n", kParallelPausesMs},
    };
    Bench::ReportPauseBaseline();
    int failures = 0;
    for (const LinkCase& link : links) {
        LinkBench bench(link);
        if (!bench.start()) {
            std::fprintf(stderr, "bench_links: %s: the main window did not start\n", link.name);
            return 2;
        }
        failures += bench.run();
    }
    if (failures > 0)
        std::printf("failed runs: %d\n", failures);
    return failures > 0 ? 1 : 0;
}
