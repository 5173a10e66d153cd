// SPDX-License-Identifier: MIT
// A student's run in a process of its own, for the kill tests to end without warning.
//
//   fault_child rating <folder> <marker> question|answer
//       Enters a response and, when the rating prompt opens, writes <marker> and waits there.
//   fault_child notes <folder> <marker> [lines]
//       Writes <marker>, then saves notes of `lines` lines (faultnote.h) one after another
//       until it is killed.
//
// Both use the scripted platform with the student "Kim Doe" on assignment 1 in <folder>.
#include "faultnote.h"
#include "session.h"

#include <QApplication>
#include <QPushButton>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

bool writeMarker(const QString &path)
{
    QFile marker(path);
    return marker.open(QIODevice::WriteOnly) && marker.write("ready") == 5;
}

[[noreturn]] void waitToBeKilled()
{
    for (;;)
        QThread::sleep(1);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 4) {
        std::fputs("usage: fault_child rating|notes <folder> <marker> [question|answer|lines]\n",
                   stderr);
        return 2;
    }
    const QString mode = args[1];
    const QString folder = args[2];
    const QString marker = args[3];

    Session run(folder, {QStringLiteral("Kim Doe"), QString(), QStringLiteral("1")});
    if (!run.started) {
        std::fputs("the run did not start\n", stderr);
        return 3;
    }
    run.window->cmdNextQuestion->click();

    if (mode == u"rating") {
        if (args.value(4) == u"answer")
            run.window->cmdNextQuestion->click();
        run.platform.onPrompt = [&](const QString &) {
            if (!writeMarker(marker))
                std::exit(4);
            waitToBeKilled();
        };
        run.type(QStringLiteral("A response that must never be half-written.\nSecond line."));
        run.window->cmd_enter_response->click();
        std::fputs("the rating prompt never opened\n", stderr);
        return 5;
    }

    if (mode == u"notes") {
        const int lines = args.size() > 4 ? args[4].toInt() : faultNoteLines;
        if (lines <= 0 || !writeMarker(marker))
            return 4;
        // Bounded (about 50 MB a file), so that a kill that never comes cannot fill the disk.
        const int limit = std::max(4, faultNoteLimit * faultNoteLines / lines);
        for (int i = 0; i < limit; ++i) {
            run.type(faultNote(i, lines));
            run.window->cmd_save_as_notes->click();
            if (!run.platform.messagesShown.isEmpty()) {
                std::fputs(qPrintable(run.platform.messagesShown.first()), stderr);
                return 6;
            }
        }
        return 0;
    }
    return 2;
}
