// SPDX-License-Identifier: MIT
#include "report/reportcommand.h"

#include "bank/assignmentcontent.h"
#include "report/csvwriter.h"
#include "report/gradebook.h"
#include "report/htmlreport.h"
#include "report/inputs/inputlist.h"
#include "report/orderedwork.h"
#include "report/questionindex.h"
#include "report/recordfilename.h"
#include "report/recordparser.h"
#include "report/roster/gradesfile.h"
#include "report/runtable.h"
#include "report/terminaltext.h"
#include "report/workbookwriter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <variant>
#include <vector>

namespace report::reportcommand {

namespace {

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

// The same output named twice, an output that is an input, or one that the next reading of
// an input folder would take for a record file.
QString outputError(const QStringList &outputs, const inputs::InputList &inputs)
{
    QSet<QString> named;
    for (const QString &output : outputs) {
        const QFileInfo info(output);
        const QString absolute = QDir::cleanPath(info.absoluteFilePath());
        if (named.contains(absolute))
            return QStringLiteral("%1 is named as two outputs").arg(shown(output));
        named.insert(absolute);
        if (inputs.reads(info.canonicalFilePath()))
            return QStringLiteral("%1 is one of the record files read").arg(shown(output));
        // Also one not read this time: a record file only ever grows.
        if (info.exists() && RecordFileName::of(output).isRecordFile())
            return QStringLiteral("%1 is a record file, which the reader never writes over")
                .arg(shown(output));
        const bool recordName = inputs::InputList::isRecordFileName(info.fileName()) ||
                                info.fileName().endsWith(u".zip", Qt::CaseInsensitive);
        if (recordName && inputs.searches(QFileInfo(info.absolutePath()).canonicalFilePath()))
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
            return QStringLiteral("%1: %2").arg(shown(outputs.csvPath),
                                                rows.csvFile->errorString());
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

// Reads one record file, handing on what it finds; false, with nothing read, when the file is
// larger than `sizeLimit` (when one is given).
bool readFile(const inputs::Input &input, const QuestionIndex &index,
              const RecordParser::Handlers &handlers, bool keepText, qint64 sizeLimit = -1)
{
    QString reason;
    const std::unique_ptr<QIODevice> file = inputs::InputList::open(input, &reason);
    if (!file) {
        handlers.problem(inputProblem(input.path, reason));
        return true;
    }
    if (file->size() == 0) {
        handlers.problem(inputProblem(
            input.path, QStringLiteral("the file is empty: a record file holds at least an "
                                       "opening block")));
        return true;
    }
    if (sizeLimit >= 0 && file->size() > sizeLimit)
        return false;
    RecordParser parser(*file, input.path, input.name.kind, index, input.name.monthDay);
    parser.setKeepText(keepText);
    parser.parse(handlers);
    // An archive's entry that could not be inflated whole was not read: as an unreadable file.
    if (input.archive && parser.source().readFailed())
        handlers.problem(inputProblem(
            input.path, QStringLiteral("not read whole: %1").arg(parser.source().readError())));
    return true;
}

// What reading one file ahead gave, held until the file's turn comes.
struct FileReading
{
    bool tooLargeToHold = false; // then read when its turn comes, record by record
    std::vector<std::variant<Run, Record, Problem>> found;
    qint64 bytes = 0; // about what it holds

    void add(std::variant<Run, Record, Problem> &&item)
    {
        bytes += qint64(sizeof item);
        if (const Record *record = std::get_if<Record>(&item))
            bytes += 2 * (record->response.size() + record->recordedLine.size() +
                          record->ratingTyped.size());
        found.push_back(std::move(item));
    }
};

// What the files read ahead hold at most, beyond the one each worker is reading.
constexpr qint64 heldAheadBytes = 16 * 1024 * 1024;

// A file above this is not read ahead: all its records would be held until its turn.
constexpr qint64 heldFileLimit = 1024 * 1024;

FileReading readAhead(const inputs::Input &input, const QuestionIndex &index, bool keepText)
{
    FileReading reading;
    RecordParser::Handlers held;
    held.run = [&](const Run &run) { reading.add(run); };
    held.record = [&](const Run &, Record &&record) { reading.add(std::move(record)); };
    held.problem = [&](const Problem &problem) { reading.add(problem); };
    reading.tooLargeToHold = !readFile(input, index, held, keepText, heldFileLimit);
    return reading;
}

void handOn(FileReading &reading, const RecordParser::Handlers &handlers)
{
    Run run;
    for (auto &found : reading.found) {
        if (const Run *next = std::get_if<Run>(&found)) {
            run = *next;
            handlers.run(run);
        } else if (Record *record = std::get_if<Record>(&found)) {
            handlers.record(run, std::move(*record));
        } else {
            handlers.problem(std::get<Problem>(found));
        }
    }
}

// Every file in order, parsed ahead on the other cores: what is handed on, and in which order,
// is the same as when they are read one after the other.
void readFiles(const QList<inputs::Input> &files, const QuestionIndex &index, Gradebook &book,
               const RecordParser::Handlers &handlers, bool keepText)
{
    OrderedWork<FileReading> ahead(
        files.size(), [&](qsizetype i) { return readAhead(files[i], index, keepText); },
        workerThreads(), workWindow(), [](const FileReading &reading) { return reading.bytes; },
        heldAheadBytes);
    for (qsizetype i = 0; i < files.size(); ++i) {
        book.beginFile(files[i].path);
        FileReading reading = ahead.take(i);
        if (reading.tooLargeToHold)
            readFile(files[i], index, handlers, keepText);
        else
            handOn(reading, handlers);
    }
}

// One student's files read on their own, with their texts.
std::unique_ptr<Gradebook> readStudent(const QList<inputs::Input> &files,
                                       const QuestionIndex &index)
{
    auto own = std::make_unique<Gradebook>(index, true);
    RecordParser::Handlers handlers;
    handlers.run = [&](const Run &run) { own->addRun(run); };
    handlers.record = [&](const Run &, const Record &record) { own->addRecord(record); };
    handlers.problem = [&](const Problem &problem) { own->addProblem(problem); };
    for (const inputs::Input &input : files) {
        own->beginFile(input.path);
        readFile(input, index, handlers, true);
    }
    return own;
}

using ReadStudent = decltype(htmlreport::Class::readStudent);

// Above the size where each student gets a page of their own, the class's book keeps no typed
// text: each student's files are read again, alone, for their page.
ReadStudent studentReader(const QList<inputs::Input> &files, const QuestionIndex &index,
                          const Outputs &outputs)
{
    QHash<QString, QList<inputs::Input>> byStudent;
    for (const inputs::Input &input : files)
        byStudent[input.name.student].append(input);
    if (outputs.htmlPath.isEmpty() || byStudent.size() <= outputs.studentPagesAbove)
        return {};
    return [byStudent, &index](const QString &student) {
        return readStudent(byStudent.value(student), index);
    };
}

// The page, and beside it a folder of the run table's sorted copies and the student pages.
bool writeHtml(const QString &path, const Gradebook &book, const QuestionIndex &index,
               const Outputs &outputs, const ReadStudent &readStudent, QTextStream &err)
{
    const QFileInfo info(path);
    htmlreport::Class group;
    group.matrix = ClassMatrix::of(book, outputs.roster, outputs.due);
    group.statistics = questionStatistics(book, index);
    group.studentPagesAbove = outputs.studentPagesAbove;
    group.pageName = info.fileName();
    group.folder = info.completeBaseName() + QStringLiteral("-pages");
    group.readStudent = readStudent;
    const QDir folder(info.dir().filePath(group.folder));
    if (!info.dir().mkpath(group.folder)) {
        say(err, QStringLiteral("%1: the folder cannot be made").arg(shown(folder.path())));
        return false;
    }
    // The folder's pages are made again by every run: written in place, without the flush to
    // disk that a save file costs for each of a thousand students. Only the names the page
    // gives (student-N.html, runs-by-N.html) are written, never a record file's name.
    bool written = true;
    htmlreport::Folder pages;
    pages.open = [folder](const QString &name) {
        auto file = std::make_unique<QFile>(folder.filePath(name));
        file->open(QIODevice::WriteOnly | QIODevice::Truncate);
        return std::unique_ptr<QFileDevice>(std::move(file));
    };
    pages.failed = [&](const QString &page, const QString &reason) {
        say(err, QStringLiteral("%1: %2").arg(shown(page), reason));
        written = false;
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        say(err, QStringLiteral("%1: %2").arg(shown(path), file.errorString()));
        return false;
    }
    if (const QString error = htmlreport::page(book, index, group, file, pages); !error.isEmpty()) {
        file.cancelWriting();
        say(err, QStringLiteral("%1: %2").arg(shown(path), error));
        return false;
    }
    if (!file.commit()) {
        say(err, QStringLiteral("%1: %2").arg(shown(path), file.errorString()));
        return false;
    }
    return written;
}

// The roster's notes, and the students its lines cannot tell apart, join the problems (of no
// run); the roster is written back with the marks when that is asked for.
bool useRoster(Gradebook &book, const QuestionIndex &index, const Outputs &outputs,
               QTextStream &err)
{
    if (!outputs.roster)
        return true;
    const ClassMatrix matrix = ClassMatrix::of(book, outputs.roster, outputs.due);
    book.beginFile(outputs.roster->path());
    for (const Problem &problem : outputs.roster->notices() + matrix.problems)
        book.addProblem(problem);
    if (outputs.gradesPath.isEmpty())
        return true;
    QSaveFile file(outputs.gradesPath);
    const QByteArray bytes = GradesFile::of(*outputs.roster, matrix, index);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        say(err, QStringLiteral("%1: %2").arg(shown(outputs.gradesPath), file.errorString()));
        return false;
    }
    return true;
}

// Notices counted per file and kind, in the order they were first met.
void summariseNotices(const Gradebook &book, QTextStream &err)
{
    for (const NoticeCount &notices : book.noticeCounts())
        terminaltext::writeLine(err, shown(notices.file) +
                                         QStringLiteral(": note (%1×): ").arg(notices.count) +
                                         notices.kind);
    if (!book.noticeCounts().isEmpty())
        terminaltext::writeLine(err, QStringLiteral("(--verbose lists every note with its line)"));
}

void printProblems(const Gradebook &book, bool verbose, QTextStream &err)
{
    for (const Problem &problem : book.problems()) {
        if (problem.notice && !verbose)
            continue;
        terminaltext::writeLine(
            err, where(problem) +
                     (problem.notice ? QStringLiteral(": note: ") : QStringLiteral(": problem: ")) +
                     problem.text);
    }
    for (const UnlistedProblems &unlisted : book.unlisted()) {
        if (!unlisted.first.notice || verbose)
            terminaltext::writeLine(err, shown(unlisted.first.file) + QStringLiteral(": ") +
                                             classsummary::unlistedText(unlisted));
    }
    if (!verbose)
        summariseNotices(book, err);
    err.flush();
}

void printMatrix(const ClassMatrix &matrix, QTextStream &out)
{
    out << runtable::columns(classsummary::matrixHeaders(matrix), classsummary::matrixRows(matrix));
    if (!matrix.notOnRoster.isEmpty()) {
        QString names =
            QStringLiteral("not on the roster: ") + matrix.notOnRoster.join(QStringLiteral(", "));
        terminaltext::writeLine(out, names);
    }
    out << '\n';
}

void printResults(const Gradebook &book, const QuestionIndex &index, const Outputs &outputs,
                  QTextStream &out, QTextStream &err)
{
    if (outputs.table) {
        printMatrix(ClassMatrix::of(book, outputs.roster, outputs.due), out);
        out << runtable::text(book.runs());
    }
    if (outputs.questions) {
        QList<QStringList> rows;
        for (const QuestionStatistics &statistics : questionStatistics(book, index))
            rows.append(classsummary::statisticsRow(statistics));
        out << '\n' << runtable::columns(classsummary::statisticsHeaders(), rows);
    }
    out.flush();
    printProblems(book, outputs.verbose, err);
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
    if (QFileInfo(folder).isFile()) // a course site's .zip: nothing is written beside it
        return QDir(otherFolder).filePath(name);
    const QStringList studentFiles = QDir(folder).entryList(
        {QStringLiteral("masterFile_*.txt"), QStringLiteral("notes_*.txt")}, QDir::Files);
    return QDir(studentFiles.isEmpty() ? folder : otherFolder).filePath(name);
}

int report(const QStringList &inputs, const Outputs &outputs, QTextStream &out, QTextStream &err,
           bool *written)
{
    if (written)
        *written = false;
    const inputs::InputList found = inputs::InputList::find(inputs);
    QStringList outputPaths{outputs.csvPath, outputs.htmlPath, outputs.xlsxPath,
                            outputs.gradesPath};
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
    const ReadStudent readStudent = studentReader(found.files(), index, outputs);
    Gradebook book(index, !outputs.htmlPath.isEmpty() && !readStudent);
    for (const Problem &problem : found.problems())
        book.addProblem(problem);
    RecordParser::Handlers handlers;
    handlers.run = [&](const Run &run) { book.addRun(run); };
    handlers.record = [&](const Run &, const Record &record) {
        book.addRecord(record);
        rows.writeRecord(book.currentRun(), record);
    };
    handlers.problem = [&](const Problem &problem) { book.addProblem(problem); };
    // Only the files of rows and the page show what was typed; a page with student pages of
    // their own reads it for those pages.
    const bool keepText = !outputs.csvPath.isEmpty() || !outputs.xlsxPath.isEmpty() ||
                          (!outputs.htmlPath.isEmpty() && !readStudent);
    readFiles(found.files(), index, book, handlers, keepText);
    const bool rosterUsed = useRoster(book, index, outputs, err);

    if (rows.workbook)
        rows.workbook->writeStatistics(questionStatistics(book, index));
    bool allWritten = finishRowOutputs(outputs, rows, err) && rosterUsed;
    if (!outputs.htmlPath.isEmpty())
        allWritten =
            writeHtml(outputs.htmlPath, book, index, outputs, readStudent, err) && allWritten;
    if (written)
        *written = allWritten;
    printResults(book, index, outputs, out, err);
    return statusOf(book, allWritten);
}

namespace {

struct CommandOptions
{
    QCommandLineOption csv{QStringLiteral("csv"),
                           QStringLiteral("Write one row per record to <file> (the exact, "
                                          "machine-readable output)."),
                           QStringLiteral("file")};
    QCommandLineOption html{QStringLiteral("html"),
                            QStringLiteral("Write the report page to <file>; a large class also "
                                           "gets a folder of student pages beside it."),
                            QStringLiteral("file")};
    QCommandLineOption xlsx{
        QStringLiteral("xlsx"),
        WorkbookWriter::available()
            ? QStringLiteral("Write one row per record to the workbook <file>, for spreadsheet "
                             "programs, and the statistics per question to its second sheet.")
            : QStringLiteral("Not available in this build (it has no libxlsxwriter)."),
        QStringLiteral("file")};
    QCommandLineOption roster{QStringLiteral("roster"),
                              QStringLiteral("The class list: one name a line, or a course "
                                             "site's gradebook or participants export (CSV, or "
                                             "tab-separated UTF-16); matched by the site's id, "
                                             "then by name."),
                              QStringLiteral("file")};
    QCommandLineOption grades{QStringLiteral("grades"),
                              QStringLiteral("Write the roster back to <file> for the course "
                                             "site's import, as it came, with a column per "
                                             "assignment: the questions answered in each "
                                             "student's best run. Needs --roster."),
                              QStringLiteral("file")};
    QCommandLineOption due{QStringLiteral("due"),
                           QStringLiteral("The due date of an assignment, e.g. 3=2026-03-10; "
                                          "runs dated later are marked late. Repeatable."),
                           QStringLiteral("assignment=date")};
    QCommandLineOption questions{QStringLiteral("questions"),
                                 QStringLiteral("Also print the class's statistics per question.")};
    QCommandLineOption quiet{QStringLiteral("quiet"),
                             QStringLiteral("Print no tables, only problems and notes.")};
    QCommandLineOption verbose{QStringLiteral("verbose"),
                               QStringLiteral("List every note with its line, instead of counts "
                                              "per file and kind.")};
    QCommandLineOption studentPages{
        QStringLiteral("student-pages-above"),
        QStringLiteral("Above this many students the page shows a line per student and writes "
                       "each student's responses to a page of their own (default 30)."),
        QStringLiteral("count"), QStringLiteral("30")};
    QCommandLineOption choose{QStringLiteral("choose-folder"),
                              QStringLiteral("Ask for a folder or a course site's .zip, write the "
                                             "report page and open it in the browser.")};
};

const QString description =
    QStringLiteral("Reads the record files of Bexlorin (send_*.txt, masterFile_*.txt, "
                   "notes_*.txt, also as a course site renamed them) and "
                   "reports every run: on the terminal the assignments of each student and "
                   "a table of runs, one CSV row per record, one HTML page, or one workbook "
                   "row per record. For a spreadsheet program open the .xlsx (--xlsx), not "
                   "the CSV: in the workbook every text a student typed is a text cell, so "
                   "none is ever run as a formula and 001 stays 001, whereas a spreadsheet "
                   "importing the CSV may take a response beginning with = + - @ for a "
                   "formula. The CSV is the exact format for programs. Exit status: 0 when "
                   "every file was read without problems, 1 when problems were reported, 2 "
                   "for a usage error or an input that cannot be read. The record files are "
                   "only read.");

const QString examples = QStringLiteral(
    "\nExamples:\n"
    "  %1 ~/mail/attachments\n"
    "      the assignments of each student and one line per run, on the terminal\n"
    "  %1 --roster class.txt --due 1=2026-03-10 --due 2=2026-03-17 ~/mail/attachments\n"
    "      who has submitted, late, unfinished or not at all\n"
    "  %1 --roster gradebook.csv --grades marks.csv ~/mail/attachments\n"
    "      the course site's gradebook export back, with the marks, for its import\n"
    "  %1 --questions --quiet ~/mail/attachments\n"
    "      how the class did at each question\n"
    "  %1 --html report.html --csv records.csv ~/mail/attachments\n"
    "      the page to read in a browser and every record for a program\n"
    "  %1 ~/Downloads/submissions.zip\n"
    "      a course site's download, read in place, as the site named the files\n");

// Qt's usage line names the program by the path it was started with; the name is enough.
QString helpText(const QCommandLineParser &parser)
{
    const QString name = QCoreApplication::applicationName().isEmpty()
                             ? QStringLiteral("bexlorin-report")
                             : QCoreApplication::applicationName();
    QString text = parser.helpText();
    const qsizetype lineEnd = text.indexOf(u'\n');
    const qsizetype options = text.indexOf(QStringLiteral(" [options]"));
    if (text.startsWith(QStringLiteral("Usage: ")) && options > 0 && options < lineEnd)
        text.replace(7, options - 7, name);
    return text + examples.arg(name);
}

// The class options; an empty error when they read well.
QString classOptions(const QCommandLineParser &parser, const CommandOptions &options,
                     Outputs &outputs)
{
    for (const QString &due : parser.values(options.due)) {
        int assignment = 0;
        QDate date;
        if (!parseDueDate(due, &assignment, &date))
            return QStringLiteral("--due %1: write the assignment's number, \"=\" and the date as "
                                  "YYYY-MM-DD, e.g. 3=2026-03-10")
                .arg(due);
        outputs.due.insert(assignment, date);
    }
    bool number = false;
    outputs.studentPagesAbove = parser.value(options.studentPages).toInt(&number);
    if (!number || outputs.studentPagesAbove < 0)
        return QStringLiteral("--student-pages-above takes a number of students");
    if (parser.isSet(options.roster)) {
        QString error;
        outputs.roster = Roster::read(parser.value(options.roster), &error);
        if (!outputs.roster)
            return QStringLiteral("--roster %1").arg(error);
    }
    outputs.gradesPath = parser.value(options.grades);
    if (!outputs.gradesPath.isEmpty() && !outputs.roster)
        return QStringLiteral("--grades writes the roster back: name it with --roster");
    const QFileInfo grades(outputs.gradesPath);
    if (outputs.roster && grades.exists() &&
        grades.canonicalFilePath() == QFileInfo(outputs.roster->path()).canonicalFilePath())
        return QStringLiteral("--grades %1 is the roster itself: choose another name")
            .arg(shown(outputs.gradesPath));
    return {};
}

} // namespace

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const CommandOptions options;
    parser.addOptions({options.csv, options.html, options.xlsx, options.roster, options.grades,
                       options.due, options.questions, options.quiet, options.verbose,
                       options.studentPages, options.choose});
    parser.addPositionalArgument(
        QStringLiteral("paths"),
        QStringLiteral("Record files, folders to search for them (folders within included), or "
                       "a course site's .zip of them, read in place."),
        QStringLiteral("paths..."));

    if (!parser.parse(arguments)) {
        say(err, parser.errorText());
        return UsageError;
    }
    if (parser.isSet(help)) {
        out << helpText(parser);
        return Clean;
    }
    if (parser.isSet(version)) {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
            << Qt::endl;
        return Clean;
    }
    if (parser.isSet(options.choose)) {
        say(err, QStringLiteral("--choose-folder needs a desktop session"));
        return UsageError;
    }
    if (parser.positionalArguments().isEmpty()) {
        say(err, QStringLiteral("name at least one record file or folder (see --help)"));
        return UsageError;
    }
    Outputs outputs;
    outputs.csvPath = parser.value(options.csv);
    outputs.htmlPath = parser.value(options.html);
    outputs.xlsxPath = parser.value(options.xlsx);
    outputs.table = !parser.isSet(options.quiet);
    outputs.verbose = parser.isSet(options.verbose);
    outputs.questions = parser.isSet(options.questions);
    if (const QString error = classOptions(parser, options, outputs); !error.isEmpty()) {
        say(err, error);
        return UsageError;
    }
    return report(parser.positionalArguments(), outputs, out, err);
}

} // namespace report::reportcommand
