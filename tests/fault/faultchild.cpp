// SPDX-License-Identifier: MIT
// A student's run in a process of its own, for the kill tests to end without warning.
//
//   fault_child rating <folder> question|answer
//       Enters a response and, when the rating prompt opens, reports ready and waits there.
//   fault_child notes <folder> [lines]
//       Reports ready, then saves notes of `lines` lines (faultnote.h) one after another
//       until it is killed.
//   fault_child session <folder> <marker>
//       Writes the file <marker>, then enters a response rated 2 and saves a note; fails
//       (status 6, the message on stderr) if the program shows any message.
//   fault_child append <folder> <tag> <count> <lines>
//       Reports ready, then appends <count> notes records of <lines> lines (faultnote.h,
//       behind a line naming <tag> and the note's number) straight through the record files,
//       as fast as it can, beside another copy doing the same.
//
// "Ready" is the line "ready" on standard output: the parent waits for it, not for a time.
//
// All but `append` use the scripted platform with the student "Kim Doe" on assignment 1 in
// <folder>; `append` writes Kim Doe's three files directly.
#include "faultnote.h"
#include "records/recordcomposition.h"
#include "records/recordfiles.h"
#include "session.h"

#include <QApplication>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

bool writeMarker(const QString &path)
{
    QFile marker(path);
    return marker.open(QIODevice::WriteOnly) && marker.write("ready") == 5;
}

bool reportReady()
{
    return std::fputs("ready\n", stdout) >= 0 && std::fflush(stdout) == 0;
}

// Blocks until the parent kills this process; should the parent go first, its end of the
// standard input closes and the child ends too.
[[noreturn]] void waitToBeKilled()
{
    while (std::getchar() != EOF) {
    }
    std::_Exit(7);
}

// Appends notes records to Kim Doe's three files, as a second copy of the program would.
int appendRecords(const QString &folder, const QString &tag, int count, int lines)
{
    const QStringList paths{folder + QStringLiteral("/masterFile_Kim_Doe.txt"),
                            folder + QStringLiteral("/send_0303Kim_Doe.txt"),
                            folder + QStringLiteral("/notes_Kim_Doe.txt")};
    for (int i = 0; i < count; ++i) {
        // CR LF line breaks, as the window hands over what the answer box holds.
        QString note =
            tag + QStringLiteral(" note ") + QString::number(i) + u'\n' + faultNote(i, lines);
        note.replace(u'\n', QStringLiteral("\r\n"));
        const QString record =
            records::notesRecord(QStringLiteral("09:05:30"), QStringLiteral("03-03-202609:05:30"),
                                 {QStringLiteral("`q001.  entry"), records::notesLine(note)});
        if (const auto failure =
                records::RecordFiles(paths).openAndAppend({record, record, record})) {
            std::fputs(qPrintable(records::describe(*failure)), stderr);
            return 6;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 3) {
        std::fputs("usage: fault_child rating|notes|session|append <folder> ...\n", stderr);
        return 2;
    }
    const QString mode = args[1];
    const QString folder = args[2];

    if (mode == u"append") {
        if (args.size() < 6 || !reportReady())
            return 2;
        return appendRecords(folder, args[3], args[4].toInt(), args[5].toInt());
    }
    if (mode == u"session" && (args.size() < 4 || !writeMarker(args[3])))
        return 4;

    Session run(folder, {QStringLiteral("Kim Doe"), QString(), QStringLiteral("1")});
    if (!run.started) {
        std::fputs("the run did not start\n", stderr);
        return 3;
    }
    run.window->cmdNextQuestion->click();

    if (mode == u"rating") {
        if (args.value(3) == u"answer")
            run.window->cmdNextQuestion->click();
        run.platform.onPrompt = [&](const QString &) {
            if (!reportReady())
                std::exit(4);
            waitToBeKilled();
        };
        run.type(QStringLiteral("A response that must never be half-written.\nSecond line."));
        run.window->cmd_enter_response->click();
        std::fputs("the rating prompt never opened\n", stderr);
        return 5;
    }

    if (mode == u"session") {
        run.platform.answers.enqueue(QStringLiteral("2"));
        run.type(QStringLiteral("A response in a shared folder."));
        run.window->cmd_enter_response->click();
        run.type(QStringLiteral("A note in a shared folder."));
        run.window->cmd_save_as_notes->click();
        if (!run.platform.messagesShown.isEmpty()) {
            std::fputs(qPrintable(run.platform.messagesShown.join(u'\n')), stderr);
            return 6;
        }
        return 0;
    }

    if (mode == u"notes") {
        const int lines = args.size() > 3 ? args[3].toInt() : faultNoteLines;
        if (lines <= 0 || !reportReady())
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
