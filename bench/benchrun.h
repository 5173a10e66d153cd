// SPDX-License-Identifier: MIT
#pragma once

#include "app/bexlorin.h"
#include "fakeplatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <memory>

namespace bench {

// Processes events until `widget`'s window is exposed. False after `timeoutMs`.
inline bool waitUntilExposed(QWidget &widget, int timeoutMs = 5000)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QCoreApplication::processEvents();
        if (widget.windowHandle() && widget.windowHandle()->isExposed())
            return true;
        if (waited.elapsed() > timeoutMs)
            return false;
        QThread::usleep(200);
    }
}

// The start-up answers of every benchmark run: a name, keep the folder, assignment 1.
inline QStringList startupAnswers()
{
    return {QStringLiteral("Student Number One"), QString(), QStringLiteral("1")};
}

// One run of the real window on the scripted platform, its record files in `folder`:
// constructed, loaded (prompts answered, opening block written) and, when asked, shown.
struct BenchRun
{
    FakePlatform platform;
    std::unique_ptr<Bexlorin> window;
    bool started = false;

    explicit BenchRun(const QString &folder, bool show = true)
    {
        QDir().mkpath(folder);
        platform.defaultFolder = folder;
        for (const QString &answer : startupAnswers())
            platform.answers.enqueue(answer);
        window = std::make_unique<Bexlorin>(platform);
        started = window->load();
        if (started && show) {
            window->show();
            started = waitUntilExposed(*window);
        }
    }
};

} // namespace bench
