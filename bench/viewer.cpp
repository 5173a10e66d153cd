// SPDX-License-Identifier: MIT
// The send file viewer ("display SEND file") on send files of 1 MB and 10 MB (realistic
// records, CR LF, Windows-1252), starting from an empty question box, against the floor:
// one QPlainTextEdit::setPlainText of the text the viewer ends up showing, into the same
// box. Each click and each setPlainText is timed alone, alternately; the repaint that
// follows runs untimed.
//
//   bench_viewer [--repetitions N]
#include "benchrun.h"
#include "figures.h"
#include "recordfixtures.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    bench::progress("bench_viewer: %s", what);
    std::exit(1);
}

void emptyQuestionBox(Bexlorin &window)
{
    window.txt_question->clear();
    QCoreApplication::processEvents();
}

void measure(const QString &folder, qsizetype sendBytes, const char *label, int repetitions)
{
    bench::BenchRun run(folder);
    if (!run.started)
        fail("the run did not start");
    Bexlorin &window = *run.window;
    const QString sendPath = window.runFields().sendFileName;
    const QByteArray fill = bench::fixtures::sendFile(sendBytes - QFile(sendPath).size());
    if (!bench::fixtures::appendAndSync(sendPath, fill))
        fail("could not fill the send file");
    const qint64 fileSize = QFile(sendPath).size();

    std::vector<double> viewer;
    std::vector<double> floor;
    QString shown;
    for (int i = 0; i < repetitions; ++i) {
        emptyQuestionBox(window);
        viewer.push_back(
            bench::timeMicroseconds([&] { window.cmd_displayCumulativeText->click(); }) / 1000.0);
        if (!run.platform.messagesShown.isEmpty())
            fail("the viewer reported a failure");
        if (shown.isEmpty())
            shown = window.txt_question->toPlainText();
        QCoreApplication::processEvents();

        emptyQuestionBox(window);
        floor.push_back(bench::timeMicroseconds([&] { window.txt_question->setPlainText(shown); }) /
                        1000.0);
        QCoreApplication::processEvents();
    }
    if (window.txt_question->toPlainText() != shown)
        fail("the floor did not show the viewer's text");

    const double viewerMs = bench::median(viewer);
    const double floorMs = bench::median(floor);
    bench::progress("  %s send file: %lld bytes, %lld characters shown; viewer %.1f ms, "
                    "setPlainText %.1f ms",
                    label, static_cast<long long>(fileSize), static_cast<long long>(shown.size()),
                    viewerMs, floorMs);
    const std::string median = " (median of " + std::to_string(repetitions) + ")";
    bench::row(std::string("Send viewer, ") + label + " file" + median,
               bench::fixed(viewerMs, 1) + " ms");
    bench::row(std::string("setPlainText of the same text, ") + label + median,
               bench::fixed(floorMs, 1) + " ms");
    bench::ratioRow(std::string("Send viewer / setPlainText, ") + label, viewerMs / floorMs, 1.5);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    // 0: 15 for 1 MB, 7 for 10 MB
    const int repetitions = bench::countOption(argc, argv, "--repetitions", 0);
    QTemporaryDir scratch;
    if (!scratch.isValid())
        fail("no temporary folder");

    bench::progress("send viewer:");
    measure(scratch.path() + QStringLiteral("/one"), 1000 * 1000, "1 MB",
            repetitions ? repetitions : 15);
    measure(scratch.path() + QStringLiteral("/ten"), 10 * 1000 * 1000, "10 MB",
            repetitions ? repetitions : 7);
    return 0;
}
