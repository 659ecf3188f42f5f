#pragma once
// WaitMs: the one way the program pauses. It arms the one-shot wait timer and
// pumps window events until it fires, so timers and repainting go on.

#include <QObject>
#include <QTimer>

namespace Common {

class WaitTimer : public QObject {
    Q_OBJECT
public:
    explicit WaitTimer(QObject* parent = nullptr);
    QTimer TmrWait;

    void TmrWait_Timer();
};

// Returns after at least ms milliseconds (scaled by the test hook).
void WaitMs(int ms);

// The timer WaitMs arms; created on first use if the main window has not
// registered its own.
WaitTimer& ActiveWaitTimer();
void RegisterWaitTimer(WaitTimer* timer);

// Test hook: pauses are multiplied by percent/100 (100 restores real time).
void SetWaitScaleForTests(int percent);
int WaitScalePercent();

} // namespace Common
