#include "common/waitms.h"

#include "common/appsettings.h"

#include <QCoreApplication>

namespace Common {

namespace {
WaitTimer* g_registered = nullptr;
int g_scalePercent = 100;
} // namespace

WaitTimer::WaitTimer(QObject* parent) : QObject(parent)
{
    TmrWait.setSingleShot(true);
    TmrWait.setTimerType(Qt::PreciseTimer);
    connect(&TmrWait, &QTimer::timeout, this, &WaitTimer::TmrWait_Timer);
}

void WaitTimer::TmrWait_Timer()
{
    TmrWait.stop();
    WaitPending = false;
}

WaitTimer& ActiveWaitTimer()
{
    if (!g_registered) {
        // Owned by the application object, so it goes when the event loop goes.
        g_registered = new WaitTimer(QCoreApplication::instance());
        QObject::connect(g_registered, &QObject::destroyed, [] { g_registered = nullptr; });
    }
    return *g_registered;
}

void RegisterWaitTimer(WaitTimer* timer)
{
    g_registered = timer;
}

void WaitMs(int ms)
{
    WaitTimer& timer = ActiveWaitTimer();
    WaitPending = true;
    timer.TmrWait.start(ms * g_scalePercent / 100);
    // Sleeps in the event loop until something arrives; the wait timer is one
    // of those things, so this never spins.
    while (WaitPending)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void SetWaitScaleForTests(int percent)
{
    g_scalePercent = percent < 0 ? 0 : percent;
}

int WaitScalePercent()
{
    return g_scalePercent;
}

} // namespace Common
