// WaitMs: the pause that keeps timers and repainting going.

#include "common/appsettings.h"
#include "common/waitms.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QtTest>

using namespace Common;

namespace {

class PaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        ++paints;
        QPainter(this).fillRect(rect(), Qt::white);
    }
};

} // namespace

class TestWaitMs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lastsAtLeastItsTime()
    {
        QElapsedTimer clock;
        clock.start();
        WaitMs(250);
        QVERIFY2(clock.elapsed() >= 250, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!WaitPending);
    }

    void timersAndRepaintingGoOn()
    {
        PaintCounter widget;
        widget.resize(50, 50);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        const int paintsBefore = widget.paints;
        QTimer ticker;
        int ticks = 0;
        int paintsAtLastTick = 0;
        connect(&ticker, &QTimer::timeout, this, [&] {
            ++ticks;
            paintsAtLastTick = widget.paints;
            widget.update();
        });
        ticker.start(40);
        WaitMs(400);
        ticker.stop();
        QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));
        // The update asked for at one tick was painted before a later one.
        QVERIFY(paintsAtLastTick > paintsBefore);
    }

    void aWaitInsideAWaitEndsBoth()
    {
        QElapsedTimer clock;
        clock.start();
        bool innerDone = false;
        QTimer::singleShot(50, this, [&] {
            WaitMs(100);
            innerDone = true;
        });
        WaitMs(5000);
        QVERIFY(innerDone);
        QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_MAIN(TestWaitMs)
#include "tst_waitms.moc"
