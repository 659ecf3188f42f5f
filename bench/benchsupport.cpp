#include "benchsupport.h"

#include "app/singleinstance.h"
#include "common/appsettings.h"
#include "common/msgbox.h"
#include "common/waitms.h"
#include "link/link.h"
#include "settings/printercatalog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>

namespace Bench {

namespace {

class NoPrinters final : public Common::PrinterCatalog {
public:
    QList<Common::InstalledPrinter> installedPrinters() override { return {}; }
};

} // namespace

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Worst(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

double OverheadPercent(double totalMs, double pausesMs)
{
    return (totalMs - pausesMs) / pausesMs * 100;
}

bool WaitUntil(const std::function<bool()>& ready, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!ready()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

void ReportPauseBaseline()
{
    constexpr int kPauseMs = 100;
    std::vector<double> over;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer clock;
        clock.start();
        Common::WaitMs(kPauseMs);
        over.push_back(clock.nsecsElapsed() / 1e6 - kPauseMs);
    }
    std::printf("WaitMs(%d) alone: overshoot median %.2f ms, worst %.2f ms\n", kPauseMs,
                Median(over), Worst(over));
}

void UseNoInstalledPrinters()
{
    Common::SetPrinterCatalog(std::make_unique<NoPrinters>());
}

BenchWindow::BenchWindow() = default;

BenchWindow::~BenchWindow()
{
    stop();
}

bool BenchWindow::prepare(const QByteArray& modelData, const QByteArray& settings)
{
    if (!runtimeDir_.isValid() || !dataDir_.isValid())
        return false;
    qputenv("XDG_RUNTIME_DIR", runtimeDir_.path().toLocal8Bit()); // our own instance lock
    QDir::setCurrent(dataDir_.path());
    return WriteFile(dataDir_.filePath(QStringLiteral("Models.Dat")), modelData) &&
           WriteFile(dataDir_.filePath(QStringLiteral("Zentab.ini")), settings);
}

bool BenchWindow::start()
{
    UseNoInstalledPrinters();
    Common::SetMsgBoxHandler([this](const QString& title, const QString& text) {
        messages_ << title + QLatin1String(" / ") + text;
    });
    form_ = std::make_unique<FrmMain>();
    form_->Form_Load();
    if (form_->AnotherInstanceRunning())
        return false;
    form_->show();
    const bool up = WaitUntil([this] { return !Common::SplashMode && form_->isEnabled(); }, 20000);
    for (const QString& m : std::as_const(messages_))
        std::fprintf(stderr, "start-up message: %s\n", qPrintable(m));
    return up && messages_.isEmpty();
}

void BenchWindow::stop()
{
    if (form_) {
        form_->close();
        form_.reset();
    }
    Common::ReleaseLink();
    Common::ReleaseSingleInstance();
    Common::SetMsgBoxHandler(nullptr);
}

} // namespace Bench
