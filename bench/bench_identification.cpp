// How much time the program adds to the pauses of an identification
// operation. The real main window runs "Set S/No.", "Get S/No." and "Set
// Model Name" over the virtual COM port against the simulated printer on a
// pseudo-terminal, with the pauses at their real length, a few times each.
// For each operation it prints the total time against the sum of the pauses
// the operation must make, the overhead in percent (aim: under 1 %), and the
// gap between the model query and the next command as the printer saw it,
// and how long after the click the model query reached the printer. Set
// S/No. includes the save of the settings after the code was written; its
// cost alone is measured too.

#include "benchsupport.h"
#include "ptyprinter.h"
#include "settings/settingsfile.h"
#include "simprinter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr std::uint8_t kModelId = 0x51; // the model whose name can be written
// The model query is answered 200 ms after it went out; the next command
// follows 100 ms later.
constexpr double kQueryGapMs = 200 + 100;

struct Operation {
    const char* name;
    double pausesMs;
    QPushButton* button;
    std::function<bool()> succeeded; // what the printer or the window shows afterwards
};

struct Run {
    double totalMs = 0;
    double gapMs = 0;
    double firstByteMs = 0; // from the click to the model query at the printer
};

class OperationBench {
public:
    bool start();
    int runAll();
    void stop();

private:
    std::optional<Run> runOnce(const Operation& op);
    void report(const Operation& op, const std::vector<Run>& runs) const;
    int reportProgressSave();

    Bench::BenchWindow window_;
    std::shared_ptr<Sim::SimPrinter> printer_ = std::make_shared<Sim::SimPrinter>();
    std::unique_ptr<Sim::PtyPrinter> pty_;
    QByteArray codeBefore_; // the code in the window when the operation began
};

bool OperationBench::start()
{
    if (!window_.prepare("Zentab model data\r\n51ZX-Q51\r\n",
                         "Zentab    06.Dec.26  09:00\r\nModelName = ZX-Q51\r\n"
                         "Interface = VirtualCOM\r\nCOMPort = 16\r\nSerialNo = Printer001\r\n"))
        return false;
    printer_->setModelId(kModelId);
    pty_ = std::make_unique<Sim::PtyPrinter>(printer_);
    if (!pty_->open() || !pty_->linkInto(window_.dataPath(), QStringLiteral("COM16"))) {
        std::fprintf(stderr, "simulated printer: %s\n", qPrintable(pty_->errorString()));
        return false;
    }
    return window_.start() && window_.form().CmdRegModel->isVisible();
}

std::optional<Run> OperationBench::runOnce(const Operation& op)
{
    QStringList& messages = window_.messages();
    printer_->clearCommandLog();
    messages.clear();
    codeBefore_ = window_.form().TxtSNo->text().toLatin1();
    const qint64 clickedAt = printer_->nowMs();
    QElapsedTimer clock;
    clock.start();
    op.button->click(); // the operation runs to its end inside the click
    Run run;
    run.totalMs = clock.nsecsElapsed() / 1e6;
    const auto& log = printer_->commandLog();
    if (!messages.isEmpty() || log.size() < 2 || !op.succeeded()) {
        std::printf("%s: failed: %s\n", op.name, qPrintable(messages.join(QLatin1String("; "))));
        return std::nullopt;
    }
    run.gapMs = static_cast<double>(log.at(1).atMs - log.at(0).atMs);
    run.firstByteMs = static_cast<double>(log.at(0).atMs - clickedAt);
    return run;
}

void OperationBench::report(const Operation& op, const std::vector<Run>& runs) const
{
    using Bench::Median;
    using Bench::Worst;
    std::vector<double> totals;
    std::vector<double> gaps;
    std::vector<double> firstBytes;
    for (const Run& r : runs) {
        totals.push_back(r.totalMs);
        gaps.push_back(r.gapMs);
        firstBytes.push_back(r.firstByteMs);
    }
    std::printf("%s: runs %zu, pauses %.0f ms\n", op.name, runs.size(), op.pausesMs);
    std::printf("%s: total median %.1f ms, worst %.1f ms\n", op.name, Median(totals),
                Worst(totals));
    std::printf("%s: overhead median %.2f %%, worst %.2f %% (target under 1 %%)\n", op.name,
                Bench::OverheadPercent(Median(totals), op.pausesMs),
                Bench::OverheadPercent(Worst(totals), op.pausesMs));
    std::printf("%s: query-to-next-command gap median %.0f ms, worst %.0f ms (pauses %.0f ms)\n",
                op.name, Median(gaps), Worst(gaps), kQueryGapMs);
    std::printf("%s: click-to-query median %.0f ms, worst %.0f ms (no pause)\n", op.name,
                Median(firstBytes), Worst(firstBytes));
}

// The settings file written as after each code, timed alone: content,
// atomic replace and the syncs of file and folder.
int OperationBench::reportProgressSave()
{
    constexpr int kSaves = 50;
    constexpr double kSetPausesMs = 200 + 100 + 2000 + 200;
    std::vector<double> ms;
    for (int i = 0; i < kSaves; ++i) {
        QElapsedTimer clock;
        clock.start();
        if (Common::WriteSettingsFile(window_.form().TxtSNo->text())) {
            std::printf("settings save: failed\n");
            return 1;
        }
        ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf("settings save after a write: runs %d, median %.2f ms, worst %.2f ms, "
                "%.3f %% of Set S/No.'s pauses at the median (target: the whole operation "
                "under 1 %%)\n",
                kSaves, Bench::Median(ms), Bench::Worst(ms),
                100.0 * Bench::Median(ms) / kSetPausesMs);
    return 0;
}

int OperationBench::runAll()
{
    Bench::ReportPauseBaseline();
    FrmMain& form = window_.form();
    const std::vector<Operation> operations{
        {"Set S/No.", 200 + 100 + 2000 + 200, form.CmdSetSNo,
         [this, &form] {
             return printer_->identificationCode() == codeBefore_ &&
                    form.TxtSNo->text().toLatin1() != codeBefore_; // advanced
         }},
        {"Get S/No.", 200 + 100 + 200 + 100, form.CmdGetSNo,
         [this, &form] {
             return form.TxtSNo->text().toLatin1() == printer_->identificationCode();
         }},
        {"Set Model Name", 200 + 100 + 4000, form.CmdRegModel,
         [this, &form] {
             return printer_->modelName().startsWith(form.TxtModelName->text().toLatin1());
         }},
    };
    int failures = 0;
    for (const Operation& op : operations) {
        std::vector<Run> runs;
        for (int i = 0; i < kRuns; ++i) {
            if (const std::optional<Run> run = runOnce(op))
                runs.push_back(*run);
            else
                ++failures;
        }
        if (!runs.empty())
            report(op, runs);
    }
    return failures + reportProgressSave();
}

void OperationBench::stop()
{
    window_.stop();
    pty_.reset();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    OperationBench bench;
    if (!bench.start()) {
        std::fprintf(stderr, "bench_identification: the main window did not start\n");
        bench.stop();
        return 2;
    }
    const int failures = bench.runAll();
    bench.stop();
    if (failures > 0)
        std::printf("failed runs: %d\n", failures);
    return failures > 0 ? 1 : 0;
}
