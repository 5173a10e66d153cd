// SPDX-License-Identifier: MIT
// The program's own start-up on the scripted platform: the real window, the start-up
// prompts answered (name, keep the folder, assignment 1), load() (set-up, store filled,
// opening block written to a temporary folder), show(), and quit once the window is exposed.
// bench_runner times it from process start to exit against bench_baseline.
//
//   bench_startup [--phases]   (--phases: print the time of each step to stderr)
#include "benchrun.h"
#include "figures.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>

namespace {

bool phases = false;
bench::Clock::time_point last;

void phase(const char *step)
{
    if (!phases)
        return;
    const auto now = bench::Clock::now();
    bench::progress("  %-32s %7.2f ms", step, bench::microsecondsBetween(last, now) / 1000.0);
    last = now;
}

int startUp()
{
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    const QString folder = scratch.path() + QStringLiteral("/tarnwick");
    QDir().mkpath(folder);
    phase("temporary folder");

    FakePlatform platform;
    platform.defaultFolder = folder;
    for (const QString &answer : bench::startupAnswers())
        platform.answers.enqueue(answer);
    Bexlorin window(platform);
    phase("window constructed");
    if (!window.load() || !platform.messagesShown.isEmpty())
        return 2;
    phase("load()");
    window.show();
    phase("show()");
    if (!bench::waitUntilExposed(window))
        return 2;
    phase("exposed");
    // The opening block must have reached both files, or this was not a real start-up.
    if (QFile(window.runFields().masterFileName).size() == 0 ||
        QFile(window.runFields().sendFileName).size() == 0)
        return 3;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    phases = argc > 1 && std::strcmp(argv[1], "--phases") == 0;
    last = bench::Clock::now();
    if (phases)
        std::atexit([] { phase("QApplication destroyed"); });

    QApplication application(argc, argv);
    phase("QApplication");
    const int status = startUp();
    phase("window and folder removed");
    return status;
}
