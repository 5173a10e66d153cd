// SPDX-License-Identifier: MIT
// The timer tick (tmr_pend_exp's timeout: beep, one circle drawn on Picture1) including the
// repaint it causes: each tick is the timer's timeout signal followed by processEvents(),
// with the window shown offscreen. A run's first ticks are compared with its ticks after
// 100,000 circles. Because the machine's speed drifts over the seconds the 100,000 ticks
// take, the late ticks are also compared with the first ticks of a second, fresh window,
// timed alternately with them.
//
//   bench_timer [--circles N] [--repetitions N]
#include "benchrun.h"
#include "figures.h"
#include "routines/picturebox.h"

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    bench::progress("bench_timer: %s", what);
    std::exit(1);
}

// Counts the paint events a widget receives, to show that every timed tick was repainted.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// One tick as the event loop delivers it: the timeout signal through the window's own
// connection, then the events it posted (the repaint of the touched area).
void tick(Bexlorin &window)
{
    QMetaObject::invokeMethod(window.tmr_pend_exp, "timeout", Qt::DirectConnection);
    QCoreApplication::processEvents();
}

double timedTick(Bexlorin &window)
{
    return bench::timeMicroseconds([&] { tick(window); });
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int circles = bench::countOption(argc, argv, "--circles", 100000);
    const int repetitions = bench::countOption(argc, argv, "--repetitions", 200);
    QTemporaryDir scratch;
    if (!scratch.isValid())
        fail("no temporary folder");
    bench::BenchRun run(scratch.path() + QStringLiteral("/long"));
    if (!run.started)
        fail("the run did not start");
    Bexlorin &window = *run.window;
    PaintCounter counter;
    window.Picture1->installEventFilter(&counter);

    std::vector<double> early;
    for (int i = 0; i < repetitions; ++i)
        early.push_back(timedTick(window));
    if (run.platform.beeps != repetitions)
        fail("the timeout did not reach the tick handler");
    const int earlyPaints = counter.paints;

    const auto fillStart = bench::Clock::now();
    for (int i = repetitions; i < circles; ++i)
        tick(window);
    const double fillSeconds = bench::microsecondsBetween(fillStart, bench::Clock::now()) / 1e6;

    bench::BenchRun fresh(scratch.path() + QStringLiteral("/fresh"));
    if (!fresh.started)
        fail("the second run did not start");
    counter.paints = 0;
    std::vector<double> late;
    std::vector<double> freshEarly;
    for (int i = 0; i < repetitions; ++i) {
        late.push_back(timedTick(window));
        freshEarly.push_back(timedTick(*fresh.window));
    }
    if (run.platform.beeps != circles + repetitions || fresh.platform.beeps != repetitions)
        fail("ticks went missing");

    const double earlyMicros = bench::median(early);
    const double lateMicros = bench::median(late);
    const double freshMicros = bench::median(freshEarly);
    bench::progress("timer: first %d ticks %.1f µs (%d paints of Picture1); %d more ticks took "
                    "%.1f s (%.1f µs each on average); then %.1f µs (%d paints), a fresh "
                    "window's first ticks meanwhile %.1f µs",
                    repetitions, earlyMicros, earlyPaints, circles - repetitions, fillSeconds,
                    fillSeconds * 1e6 / (circles - repetitions), lateMicros, counter.paints,
                    freshMicros);

    const std::string median = " (median of " + std::to_string(repetitions) + ")";
    const std::string after = "after " + std::to_string(circles) + " circles";
    bench::row("Timer tick + repaint, first ticks" + median, bench::fixed(earlyMicros, 1) + " µs");
    bench::row("Timer tick + repaint, " + after + median, bench::fixed(lateMicros, 1) + " µs");
    bench::row("Timer tick + repaint, fresh window's first ticks, alternating with the late "
               "ticks" +
                   median,
               bench::fixed(freshMicros, 1) + " µs");
    bench::ratioRow("Timer tick: " + after + " / first ticks", lateMicros / earlyMicros, 1.5);
    bench::ratioRow("Timer tick: " + after + " / fresh window, alternating",
                    lateMicros / freshMicros, 1.5);
    return 0;
}
