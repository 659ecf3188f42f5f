// The program at rest: how long the start-up takes to the ready window
// against the 4000 ms the splash must show, how much CPU the window uses
// while idle with the port-condition timer polling a parallel port (the
// simulated one), and how much memory it holds.

#include "app/frmmain.h"
#include "app/singleinstance.h"
#include "benchsupport.h"
#include "common/appsettings.h"
#include "common/pointer.h"
#include "ieee1284peripheral.h"
#include "link/link.h"
#include "link/portio.h"
#include "simparallelport.h"
#include "simprinter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

// The splash's four waits, then the fill of the window: the interface line
// waits 200 ms after closing the port, the code field 200 ms before black.
constexpr int kSplashMs = 1500 + 1000 + 500 + 1000;
constexpr int kStartupPausesMs = kSplashMs + 200 + 200;
constexpr int kIdleMs = 20000;

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Runs the event loop for ms milliseconds, sleeping while nothing happens.
void Spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QApplication app(argc, argv);
    QTemporaryDir data;
    QDir::setCurrent(data.path());
    if (!Bench::WriteFile(data.filePath(QStringLiteral("Models.Dat")), "Zentab\r\n35ZX-P700\r\n") ||
        !Bench::WriteFile(
            data.filePath(QStringLiteral("Zentab.ini")),
            "Zentab    06.Dec.26  09:00\r\nModelName = ZX-P700\r\nInterface = Parallel\r\n")) {
        std::fprintf(stderr, "cannot prepare the data folder\n");
        return 1;
    }
    Bench::UseNoInstalledPrinters();
    auto printer = std::make_shared<Sim::SimPrinter>();
    auto peripheral = std::make_shared<Sim::Ieee1284Peripheral>(printer);
    auto port = std::make_unique<Sim::SimParallelPort>(peripheral);
    Sim::SimParallelPort* portView = port.get();
    Common::SetPortIoBackend(std::move(port));

    QElapsedTimer clock;
    clock.start();
    FrmMain form;
    form.Form_Load();
    form.show();
    while (Common::SplashMode || !form.isEnabled() ||
           Common::CurrentPointer() != Common::Pointer::Default)
        Spin(5);
    const qint64 startupMs = clock.elapsed();
    std::printf("start-up to the ready window: %lld ms (pauses %d ms of which the splash %d ms, "
                "overhead %.2f %%)%s\n",
                static_cast<long long>(startupMs), kStartupPausesMs, kSplashMs,
                100.0 * double(startupMs - kStartupPausesMs) / kStartupPausesMs,
                Common::ErrorFlag ? "  [program error state!]" : "");
    std::printf("port-condition timer running: %s\n", form.TmrPortCheck.isActive() ? "yes" : "no");

    Spin(1000); // let the first paint settle
    const std::uint64_t readsBefore = portView->statusReads();
    const double cpuBefore = CpuSeconds();
    clock.restart();
    Spin(kIdleMs);
    const double wall = clock.elapsed() / 1000.0;
    const double cpu = CpuSeconds() - cpuBefore;
    std::printf("idle for %.1f s: CPU %.3f s = %.3f %% (target under 0.2 %%), %llu status reads\n",
                wall, cpu, 100.0 * cpu / wall,
                static_cast<unsigned long long>(portView->statusReads() - readsBefore));
    std::printf("resident memory: %.1f MB (target under 60 MB)\n", ResidentKiB() / 1024.0);

    form.close();
    Common::ReleaseLink();
    Common::ReleaseSingleInstance();
    Common::SetPortIoBackend(nullptr);
    return 0;
}
