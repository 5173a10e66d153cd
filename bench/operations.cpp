// SPDX-License-Identifier: MIT
// Per-operation figures of the real window (shown offscreen, scripted platform): one Next
// Question / Answer click, one Enter Response (typed response, queued rating: composition,
// two appends, two fsyncs) and one Save as Notes (three appends, three fsyncs), each the
// median over many clicks. The click alone is timed; the repaint it schedules runs untimed
// before the next one. Enter Response and Save as Notes are then timed again on record files
// that already hold 10,000 records each, alternating with the fresh files, and compared.
//
//   bench_operations [--repetitions N]
#include "benchrun.h"
#include "figures.h"
#include "recordfixtures.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace {

constexpr int filledRecords = 10000;

const QString response = QStringLiteral(
    "A = L * W = 4 m * 3 m = 12 m²\nThe units multiply too: m * m = m², square meters.");
const QString note = QStringLiteral("Remember: area counts squares, so its units are squared.");

[[noreturn]] void fail(const char *what)
{
    bench::progress("bench_operations: %s", what);
    std::exit(1);
}

double megabytes(const QString &path)
{
    return double(QFile(path).size()) / 1e6;
}

// One Next Question / Answer click on an empty question box. A run's assignment ends after a
// few dozen clicks; the click that ends it is not a Next Question figure, and a new run
// takes over.
std::vector<double> nextQuestionClicks(const QString &folder, int repetitions)
{
    std::vector<double> samples;
    std::unique_ptr<bench::BenchRun> run;
    int runs = 0;
    while (int(samples.size()) < repetitions) {
        if (!run || run->window->hasEnded()) {
            run.reset();
            run = std::make_unique<bench::BenchRun>(folder + QString::number(++runs));
            if (!run->started)
                fail("a run did not start");
        }
        Bexlorin &window = *run->window;
        window.txt_question->clear();
        QCoreApplication::processEvents();
        const double micros = bench::timeMicroseconds([&] { window.cmdNextQuestion->click(); });
        if (window.hasEnded())
            continue;
        samples.push_back(micros);
        QCoreApplication::processEvents();
    }
    bench::progress("  Next Question: %d clicks over %d runs", repetitions, runs);
    return samples;
}

double enterResponse(bench::BenchRun &run)
{
    Bexlorin &window = *run.window;
    window.txt_answer->setPlainText(response);
    run.platform.answers.enqueue(QStringLiteral("2"));
    QCoreApplication::processEvents();
    const double micros = bench::timeMicroseconds([&] { window.cmd_enter_response->click(); });
    if (!run.platform.answers.isEmpty() || !run.platform.messagesShown.isEmpty() ||
        !window.txt_answer->toPlainText().isEmpty())
        fail("Enter Response did not record the response");
    QCoreApplication::processEvents();
    return micros;
}

double saveAsNotes(bench::BenchRun &run)
{
    Bexlorin &window = *run.window;
    window.txt_answer->setPlainText(note);
    QCoreApplication::processEvents();
    const double micros = bench::timeMicroseconds([&] { window.cmd_save_as_notes->click(); });
    if (!run.platform.messagesShown.isEmpty() || !window.txt_answer->toPlainText().isEmpty())
        fail("Save as Notes did not record the note");
    QCoreApplication::processEvents();
    return micros;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int repetitions = bench::countOption(argc, argv, "--repetitions", 200);
    QTemporaryDir scratch;
    if (!scratch.isValid())
        fail("no temporary folder");
    const QString root = scratch.path();

    bench::progress("operations: %d repetitions each", repetitions);
    const double nextClick =
        bench::median(nextQuestionClicks(root + QStringLiteral("/next"), repetitions));

    bench::BenchRun fresh(root + QStringLiteral("/fresh"));
    bench::BenchRun filled(root + QStringLiteral("/filled"));
    if (!fresh.started || !filled.started)
        fail("a run did not start");
    const app::RunFields &paths = filled.window->runFields();
    if (!bench::fixtures::appendAndSync(
            paths.masterFileName,
            bench::fixtures::responseRecords(records::RecordFile::Master, filledRecords)) ||
        !bench::fixtures::appendAndSync(
            paths.sendFileName,
            bench::fixtures::responseRecords(records::RecordFile::Send, filledRecords)) ||
        !bench::fixtures::appendAndSync(paths.notesFileName,
                                        bench::fixtures::notesRecords(filledRecords)))
        fail("could not fill the record files");
    bench::progress("  filled files: master %.1f MB, send %.1f MB, notes %.1f MB",
                    megabytes(paths.masterFileName), megabytes(paths.sendFileName),
                    megabytes(paths.notesFileName));

    // Both runs show their first question, and each records one untimed response and note so
    // that every file exists before the timing starts.
    for (bench::BenchRun *run : {&fresh, &filled}) {
        run->window->cmdNextQuestion->click();
        enterResponse(*run);
        saveAsNotes(*run);
    }

    std::vector<double> freshResponse, filledResponse, freshNotes, filledNotes;
    for (int i = 0; i < repetitions; ++i) {
        // Alternate which run goes first, so neither profits from the other's flushes.
        if (i % 2 == 0) {
            freshResponse.push_back(enterResponse(fresh));
            filledResponse.push_back(enterResponse(filled));
            freshNotes.push_back(saveAsNotes(fresh));
            filledNotes.push_back(saveAsNotes(filled));
        } else {
            filledResponse.push_back(enterResponse(filled));
            freshResponse.push_back(enterResponse(fresh));
            filledNotes.push_back(saveAsNotes(filled));
            freshNotes.push_back(saveAsNotes(fresh));
        }
    }
    bench::progress("  fresh files after the runs: master %.3f MB, notes %.3f MB",
                    megabytes(fresh.window->runFields().masterFileName),
                    megabytes(fresh.window->runFields().notesFileName));

    const double responseFresh = bench::median(freshResponse);
    const double responseFilled = bench::median(filledResponse);
    const double notesFresh = bench::median(freshNotes);
    const double notesFilled = bench::median(filledNotes);

    const std::string median = " (median of " + std::to_string(repetitions) + ")";
    bench::row("Next Question / Answer click" + median, bench::fixed(nextClick, 0) + " µs");
    bench::row("Enter Response, response + rating" + median,
               bench::fixed(responseFresh, 0) + " µs");
    bench::row("Save as Notes" + median, bench::fixed(notesFresh, 0) + " µs");
    bench::row("Enter Response, files holding 10,000 records" + median,
               bench::fixed(responseFilled, 0) + " µs");
    bench::row("Save as Notes, files holding 10,000 records" + median,
               bench::fixed(notesFilled, 0) + " µs");
    bench::ratioRow("Enter Response: 10,000 records / fresh files", responseFilled / responseFresh,
                    1.2);
    bench::ratioRow("Save as Notes: 10,000 records / fresh files", notesFilled / notesFresh, 1.2);
    return 0;
}
