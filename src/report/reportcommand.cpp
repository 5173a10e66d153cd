// SPDX-License-Identifier: MIT
#include "report/reportcommand.h"

#include "bank/assignmentcontent.h"
#include "platform/inputfiles.h"
#include "report/csvwriter.h"
#include "report/gradebook.h"
#include "report/htmlreport.h"
#include "report/questionindex.h"
#include "report/recordparser.h"
#include "report/runtable.h"
#include "report/terminaltext.h"
#include "report/workbookwriter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <memory>

namespace report::reportcommand {

namespace {

namespace inputfiles = platform::inputfiles;

// What the drill program names its record files; an entry of a folder that starts so is a
// record file, whatever else its name holds or however it is encoded.
const QList<QByteArray> recordPrefixes{"send_", "masterFile_", "notes_"};

void say(QTextStream &err, const QString &text)
{
    terminaltext::writeLine(err, QStringLiteral("bexlorin-report: ") + text);
    err.flush();
}

// Paths as the system writes them (backslashes on Windows), wherever they reach the user.
QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString where(const Problem &problem)
{
    return problem.line > 0 ? QStringLiteral("%1:%2").arg(shown(problem.file)).arg(problem.line)
                            : shown(problem.file);
}

Problem inputProblem(const QString &path, const QString &reason)
{
    Problem problem{path, 0, reason};
    problem.input = true;
    return problem;
}

// The files to read and every input that cannot be read, with the system's reason.
struct Inputs
{
    QStringList files;
    QStringList canonicals; // of the files, to tell outputs that would overwrite them
    QStringList folders;    // canonical
    QList<Problem> problems;
    QList<Problem> notices;
};

bool isNotesFile(const QString &path)
{
    return QFileInfo(path).fileName().startsWith(u"notes_", Qt::CaseInsensitive);
}

void addFolder(const QString &folder, Inputs &inputs)
{
    inputs.folders.append(QFileInfo(folder).canonicalFilePath());
    QList<inputfiles::Entry> entries;
    QString reason;
    if (!inputfiles::entriesStartingWith(folder, recordPrefixes, &entries, &reason)) {
        inputs.problems.append(
            inputProblem(folder, QStringLiteral("the folder cannot be listed: %1").arg(reason)));
        return;
    }
    if (entries.isEmpty()) {
        inputs.problems.append(inputProblem(
            folder, QStringLiteral("the folder holds no send_*, masterFile_* or notes_* file")));
        return;
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto &a, const auto &b) { return a.shownName < b.shownName; });
    for (const inputfiles::Entry &entry : std::as_const(entries)) {
        if (!entry.nameValid) {
            inputs.problems.append(inputProblem(
                QDir(folder).filePath(entry.shownName),
                QStringLiteral("the name is not valid in the system's encoding (UTF-8), so the "
                               "file cannot be opened by its name: rename it to read it")));
            continue;
        }
        const inputfiles::Inspection inspection = inputfiles::inspect(entry.path);
        if (inspection.kind != inputfiles::Kind::RegularFile) {
            inputs.problems.append(
                inputProblem(entry.path, inspection.kind == inputfiles::Kind::Folder
                                             ? QStringLiteral("is a folder, not a record file")
                                             : inspection.reason));
        } else if (isNotesFile(entry.path)) {
            // Its notes are in the send and master files as well; read, they would count twice.
            Problem notice{entry.path, 0,
                           QStringLiteral("a notes file: not read, its notes are also in the "
                                          "send and master files (name it to read it)"),
                           true};
            inputs.notices.append(notice);
        } else {
            inputs.files.append(entry.path);
        }
    }
}

void addInput(const QString &input, Inputs &inputs)
{
    const inputfiles::Inspection inspection = inputfiles::inspect(input);
    if (inspection.kind == inputfiles::Kind::Folder)
        addFolder(input, inputs);
    else if (inspection.kind == inputfiles::Kind::RegularFile)
        inputs.files.append(input);
    else
        inputs.problems.append(inputProblem(input, inspection.reason));
}

Inputs gatherInputs(const QStringList &named)
{
    Inputs inputs;
    for (const QString &input : named)
        addInput(input, inputs);
    // A file named twice (itself and through its folder) is read once.
    QStringList once;
    QSet<QString> seen;
    for (const QString &file : std::as_const(inputs.files)) {
        const QString canonical = QFileInfo(file).canonicalFilePath();
        if (!seen.contains(canonical)) {
            seen.insert(canonical);
            once.append(file);
            inputs.canonicals.append(canonical);
        }
    }
    inputs.files = once;
    return inputs;
}

// The same output named twice, an output that is an input, or one that the next reading of
// an input folder would take for a record file.
QString outputError(const QStringList &outputs, const Inputs &inputs)
{
    QSet<QString> named;
    for (const QString &output : outputs) {
        const QFileInfo info(output);
        const QString absolute = QDir::cleanPath(info.absoluteFilePath());
        if (named.contains(absolute))
            return QStringLiteral("%1 is named as two outputs").arg(shown(output));
        named.insert(absolute);
        if (inputs.canonicals.contains(info.canonicalFilePath()))
            return QStringLiteral("%1 is one of the record files read").arg(shown(output));
        const bool recordName = std::any_of(
            recordPrefixes.begin(), recordPrefixes.end(), [&](const QByteArray &prefix) {
                return info.fileName().startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
            });
        if (recordName &&
            inputs.folders.contains(QFileInfo(info.absolutePath()).canonicalFilePath()))
            return QStringLiteral("%1 would be read as a record file the next time its folder is "
                                  "read: choose another name or folder")
                .arg(shown(output));
    }
    return {};
}

// A remark for the CSV row: what a reader of the spreadsheet should know about the record.
QString remarkOf(const Record &record)
{
    QStringList remarks;
    if (!record.complete)
        remarks.append(QStringLiteral("incomplete record"));
    if (record.hasRatingLine && !record.rating)
        remarks.append(QStringLiteral("rating not a number from 0 to 3"));
    if (record.question == 0 && !record.recordedLine.isEmpty())
        remarks.append(QStringLiteral("question not found"));
    return remarks.join(QStringLiteral("; "));
}

// The files of one row per record, while they are written.
struct RowOutputs
{
    std::unique_ptr<QSaveFile> csvFile;
    std::unique_ptr<CsvWriter> csv;
    std::unique_ptr<WorkbookWriter> workbook;

    void writeRecord(const RunSummary &run, const Record &record)
    {
        const QString remark = remarkOf(record);
        if (csv)
            csv->writeRecord(run, record, remark);
        if (workbook)
            workbook->writeRecord(run, record, remark);
    }
};

QString openRowOutputs(const Outputs &outputs, RowOutputs &rows)
{
    if (!outputs.csvPath.isEmpty()) {
        rows.csvFile = std::make_unique<QSaveFile>(outputs.csvPath);
        if (!rows.csvFile->open(QIODevice::WriteOnly))
            return QStringLiteral("%1: %2").arg(shown(outputs.csvPath), rows.csvFile->errorString());
        rows.csv = std::make_unique<CsvWriter>(*rows.csvFile);
        rows.csv->writeHeader();
    }
    if (!outputs.xlsxPath.isEmpty()) {
        rows.workbook = std::make_unique<WorkbookWriter>(outputs.xlsxPath);
        if (const QString error = rows.workbook->open(); !error.isEmpty())
            return QStringLiteral("%1: %2").arg(shown(outputs.xlsxPath), error);
        rows.workbook->writeHeader();
    }
    return {};
}

bool finishRowOutputs(const Outputs &outputs, RowOutputs &rows, QTextStream &err)
{
    bool written = true;
    if (rows.csv && !(rows.csv->finish() && rows.csvFile->commit())) {
        say(err, QStringLiteral("%1: %2").arg(shown(outputs.csvPath), rows.csvFile->errorString()));
        written = false;
    }
    if (rows.workbook) {
        if (const QString error = rows.workbook->finish(); !error.isEmpty()) {
            say(err, QStringLiteral("%1: %2").arg(shown(outputs.xlsxPath), error));
            written = false;
        }
    }
    return written;
}

void readFile(const QString &path, const QuestionIndex &index, Gradebook &book,
              const RecordParser::Handlers &handlers)
{
    book.beginFile(path);
    QFile file(path);
    if (const QString reason = inputfiles::openForReading(path, file); !reason.isEmpty())
        return book.addProblem(inputProblem(path, reason));
    if (file.size() == 0) {
        return book.addProblem(inputProblem(
            path, QStringLiteral("the file is empty: a record file holds at least an opening "
                                 "block")));
    }
    const RecordFileName name = RecordFileName::of(path);
    RecordParser parser(file, path, name.kind, index, name.monthDay);
    parser.parse(handlers);
}

bool writeHtml(const QString &path, const Gradebook &book, const QuestionIndex &index,
               QTextStream &err)
{
    QSaveFile html(path);
    const QByteArray page = htmlreport::page(book, index).toUtf8();
    if (!html.open(QIODevice::WriteOnly) || html.write(page) != page.size() || !html.commit()) {
        say(err, QStringLiteral("%1: %2").arg(shown(path), html.errorString()));
        return false;
    }
    return true;
}

void printResults(const Gradebook &book, bool table, QTextStream &out, QTextStream &err)
{
    if (table)
        out << runtable::text(book.runs());
    out.flush();
    for (const Problem &problem : book.problems()) {
        terminaltext::writeLine(
            err, where(problem) +
                     (problem.notice ? QStringLiteral(": note: ") : QStringLiteral(": problem: ")) +
                     problem.text);
    }
    err.flush();
}

int statusOf(const Gradebook &book, bool written)
{
    const QList<Problem> &problems = book.problems();
    if (!written || std::any_of(problems.begin(), problems.end(),
                                [](const Problem &problem) { return problem.input; }))
        return InputNotRead;
    return book.hasProblems() ? ProblemsReported : Clean;
}

} // namespace

QString htmlPathForFolder(const QString &folder, const QString &otherFolder)
{
    const QString name = QStringLiteral("bexlorin-report.html");
    const QStringList studentFiles = QDir(folder).entryList(
        {QStringLiteral("masterFile_*.txt"), QStringLiteral("notes_*.txt")}, QDir::Files);
    return QDir(studentFiles.isEmpty() ? folder : otherFolder).filePath(name);
}

int report(const QStringList &inputs, const Outputs &outputs, QTextStream &out, QTextStream &err,
           bool *written)
{
    if (written)
        *written = false;
    const Inputs found = gatherInputs(inputs);
    QStringList outputPaths{outputs.csvPath, outputs.htmlPath, outputs.xlsxPath};
    outputPaths.removeAll(QString());
    if (const QString error = outputError(outputPaths, found); !error.isEmpty()) {
        say(err, error);
        return UsageError;
    }
    RowOutputs rows;
    if (const QString error = openRowOutputs(outputs, rows); !error.isEmpty()) {
        say(err, error);
        return UsageError;
    }

    const QuestionIndex index(bank::assignmentContent());
    Gradebook book(index, !outputs.htmlPath.isEmpty());
    for (const Problem &problem : found.problems + found.notices)
        book.addProblem(problem);
    RecordParser::Handlers handlers;
    handlers.run = [&](const Run &run) { book.addRun(run); };
    handlers.record = [&](const Run &, const Record &record) {
        book.addRecord(record);
        rows.writeRecord(book.currentRun(), record);
    };
    handlers.problem = [&](const Problem &problem) { book.addProblem(problem); };
    for (const QString &path : found.files)
        readFile(path, index, book, handlers);

    bool allWritten = finishRowOutputs(outputs, rows, err);
    if (!outputs.htmlPath.isEmpty())
        allWritten = writeHtml(outputs.htmlPath, book, index, err) && allWritten;
    if (written)
        *written = allWritten;
    printResults(book, outputs.table, out, err);
    return statusOf(book, allWritten);
}

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads the record files of Bexlorin (send_*.txt, masterFile_*.txt) and "
                       "reports every run: a table on the terminal, one CSV row per record, "
                       "one HTML page, or one workbook row per record. For a spreadsheet "
                       "program open the .xlsx (--xlsx), not the CSV: in the workbook every "
                       "text a student typed is a text cell, so none is ever run as a "
                       "formula and 001 stays 001, whereas a spreadsheet importing the CSV "
                       "may take a response beginning with = + - @ for a formula. The CSV is "
                       "the exact format for programs. Exit status: 0 when every file was "
                       "read without problems, 1 when problems were reported, 2 for a usage "
                       "error or an input that cannot be read. The record files are only "
                       "read."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption csvOption(QStringLiteral("csv"),
                                       QStringLiteral("Write one row per record to <file>."),
                                       QStringLiteral("file"));
    const QCommandLineOption htmlOption(QStringLiteral("html"),
                                        QStringLiteral("Write the report page to <file>."),
                                        QStringLiteral("file"));
    const QCommandLineOption chooseOption(
        QStringLiteral("choose-folder"),
        QStringLiteral("Ask for a folder, write the report page and open it in the browser."));
    const QCommandLineOption xlsxOption(
        QStringLiteral("xlsx"),
        WorkbookWriter::available()
            ? QStringLiteral("Write one row per record to the workbook <file>, for spreadsheet "
                             "programs.")
            : QStringLiteral("Not available in this build (it has no libxlsxwriter)."),
        QStringLiteral("file"));
    parser.addOptions({csvOption, htmlOption, xlsxOption, chooseOption});
    parser.addPositionalArgument(QStringLiteral("paths"),
                                 QStringLiteral("Record files, or folders to search for them."),
                                 QStringLiteral("paths..."));

    if (!parser.parse(arguments)) {
        say(err, parser.errorText());
        return UsageError;
    }
    if (parser.isSet(help)) {
        out << parser.helpText();
        return Clean;
    }
    if (parser.isSet(version)) {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
            << Qt::endl;
        return Clean;
    }
    if (parser.isSet(chooseOption)) {
        say(err, QStringLiteral("--choose-folder needs a desktop session"));
        return UsageError;
    }
    if (parser.positionalArguments().isEmpty()) {
        say(err, QStringLiteral("name at least one record file or folder (see --help)"));
        return UsageError;
    }
    Outputs outputs;
    outputs.csvPath = parser.value(csvOption);
    outputs.htmlPath = parser.value(htmlOption);
    outputs.xlsxPath = parser.value(xlsxOption);
    outputs.table =
        outputs.csvPath.isEmpty() && outputs.htmlPath.isEmpty() && outputs.xlsxPath.isEmpty();
    return report(parser.positionalArguments(), outputs, out, err);
}

} // namespace report::reportcommand
