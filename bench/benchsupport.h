// What the benchmarks share: a data folder with the two files, the real main
// window started in it against a simulated printer, and a few statistics.
#pragma once

#include "app/frmmain.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

namespace Bench {

bool WriteFile(const QString& path, const QByteArray& bytes);
double Median(std::vector<double> values);
double Worst(const std::vector<double>& values);
// Overhead of a measured time over the pauses it must contain, in percent.
double OverheadPercent(double totalMs, double pausesMs);
// Runs the event loop until ready() holds or ms have passed.
bool WaitUntil(const std::function<bool()>& ready, int ms);
// What one WaitMs(100) costs beyond its length on this machine as it is
// loaded now: the part of an overhead that is timer latency, not our work.
void ReportPauseBaseline();
// The system's printer list is left out: it would ask the local scheduler.
void UseNoInstalledPrinters();

// A data folder of its own (and an instance lock of its own) holding
// Models.Dat and Zentab.ini, no installed printers, message boxes collected.
class BenchWindow {
public:
    BenchWindow();
    ~BenchWindow();
    bool prepare(const QByteArray& modelData, const QByteArray& settings);
    QString dataPath() const { return dataDir_.path(); }
    // Starts the main window, which loads the two files. True once the
    // window is ready with no message shown.
    bool start();
    void stop();
    FrmMain& form() { return *form_; }
    QStringList& messages() { return messages_; }

private:
    QTemporaryDir runtimeDir_;
    QTemporaryDir dataDir_;
    std::unique_ptr<FrmMain> form_;
    QStringList messages_;
};

} // namespace Bench
