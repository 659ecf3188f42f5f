// Figures for the link on the simulated printer:
//   - the virtual COM round trip of GS I 1 over a pseudo-terminal: SendData,
//     then ReceiveData polled until the reply is there, without the
//     operations' pauses; the printer runs on its own thread as a device
//     would;
//   - a 12-byte GS I 44h reply read in nibble mode through the simulated
//     parallel peripheral: its time and the status reads it takes.
// Usage: bench_link [virtual COM runs] [parallel runs]

#include "common/appsettings.h"
#include "common/waitms.h"
#include "ieee1284peripheral.h"
#include "link/link.h"
#include "link/portio.h"
#include "ptyprinter.h"
#include "simparallelport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Common;

namespace {

constexpr qint64 kGiveUpNs = 2'000'000'000;
constexpr int kEndOfReplyReads = 99999;

struct Spread {
    double minimum, p10, median, p90, maximum;
};

Spread SpreadOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const auto at = [&values](double q) {
        return values[static_cast<std::size_t>(q * double(values.size() - 1) + 0.5)];
    };
    return {values.front(), at(0.1), at(0.5), at(0.9), values.back()};
}

void PrintSpread(const char* what, const char* unit, const std::vector<double>& values)
{
    const Spread s = SpreadOf(values);
    std::printf(
        "%-34s median %9.1f %s   p10 %9.1f   p90 %9.1f   min %9.1f   max %9.1f   (%zu runs)\n",
        what, s.median, unit, s.p10, s.p90, s.minimum, s.maximum, values.size());
}

// Runs the pseudo-terminal printer on a thread of its own for the lifetime
// of the object.
class PrinterThread {
public:
    explicit PrinterThread(std::shared_ptr<Sim::SimPrinter> printer)
    {
        thread_.start();
        context_.moveToThread(&thread_);
        onThread([this, printer] {
            pty_ = std::make_unique<Sim::PtyPrinter>(printer);
            ok_ = pty_->open() && pty_->linkInto(DataFolder, QStringLiteral("COM16"));
        });
    }
    ~PrinterThread()
    {
        onThread([this] { pty_.reset(); });
        thread_.quit();
        thread_.wait();
    }
    bool ok() const { return ok_; }

private:
    template <typename F> void onThread(F f)
    {
        QMetaObject::invokeMethod(&context_, f, Qt::BlockingQueuedConnection);
    }

    QThread thread_;
    QObject context_;
    std::unique_ptr<Sim::PtyPrinter> pty_;
    bool ok_ = false;
};

bool BenchVirtualCom(int runs)
{
    auto printer = std::make_shared<Sim::SimPrinter>();
    printer->setModelId(0x51);
    PrinterThread device(printer);
    if (!device.ok()) {
        std::fprintf(stderr, "cannot open the pseudo-terminal\n");
        return false;
    }
    AppSettings.Interface = VirtualCom;
    AppSettings.ActiveInterface = VirtualCom;
    AppSettings.COMPort = 16;
    ErrorFlag = false;
    OpenPort();

    std::vector<double> microseconds;
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        clock.start();
        SendData(QStringLiteral("1D4901"));
        QString reply;
        while (reply.isEmpty() && clock.nsecsElapsed() < kGiveUpNs)
            reply = ReceiveData();
        const qint64 ns = clock.nsecsElapsed();
        if (reply != QLatin1String("51")) {
            std::fprintf(stderr, "run %d: reply \"%s\"\n", i, qPrintable(reply));
            ClosePort();
            return false;
        }
        microseconds.push_back(double(ns) / 1000.0);
    }
    ClosePort();
    PrintSpread("virtual COM GS I 1 round trip", "us", microseconds);
    return true;
}

bool BenchParallel(int runs)
{
    auto printer = std::make_shared<Sim::SimPrinter>();
    printer->setIdentificationCode("Printer001");
    auto peripheral = std::make_shared<Sim::Ieee1284Peripheral>(printer);
    auto backend = std::make_unique<Sim::SimParallelPort>(peripheral, 0x378);
    Sim::SimParallelPort& port = *backend;
    SetPortIoBackend(std::move(backend));
    AppSettings.Interface = Parallel;
    AppSettings.ActiveInterface = Parallel;
    AppSettings.LPTAddress = 0x378;
    SetWaitScaleForTests(0); // the termination's pauses are not the channel's speed

    std::vector<double> milliseconds;
    std::vector<double> reads;
    std::vector<double> endWait;
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        ErrorFlag = false;
        SendData(QStringLiteral("1D4944"));
        port.resetCounters();
        clock.start();
        const QString reply = NegotiateNibbleMode() ? ReadNibbleData() : QString();
        const qint64 ns = clock.nsecsElapsed();
        const std::uint64_t statusReads = port.statusReads();
        // The host's closing wait again, on its own, in the same state.
        clock.start();
        for (int k = 0; k < kEndOfReplyReads; ++k)
            ReadLptRegister(1);
        endWait.push_back(double(clock.nsecsElapsed()) / 1e6);
        TerminateNibbleMode();
        if (reply != QLatin1String("5F5072696E74657230303100")) {
            std::fprintf(stderr, "run %d: reply \"%s\"\n", i, qPrintable(reply));
            return false;
        }
        milliseconds.push_back(double(ns) / 1e6);
        reads.push_back(double(statusReads));
    }
    SetPortIoBackend(nullptr);
    SetWaitScaleForTests(100);

    PrintSpread("parallel 12-byte nibble reply", "ms", milliseconds);
    PrintSpread("  status reads", "  ", reads);
    std::printf("  of which %d reads are the host's wait that tells no byte follows the last:\n",
                kEndOfReplyReads);
    PrintSpread("  that wait alone", "ms", endWait);
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int comRuns = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 1000;
    const int lptRuns = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 50;
    QTemporaryDir folder;
    DataFolder = folder.path();
    const bool ok = BenchVirtualCom(comRuns) && BenchParallel(lptRuns);
    return ok ? 0 : 1;
}
