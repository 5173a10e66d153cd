// SPDX-License-Identifier: MIT
#include "report/reportcommand.h"

#include "bank/assignmentcontent.h"
#include "report/csvwriter.h"
#include "report/gradebook.h"
#include "report/htmlreport.h"
#include "report/questionindex.h"
#include "report/recordparser.h"
#include "report/runtable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QTextStream>

#include <memory>

namespace report::reportcommand {

namespace {

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

// The record files named by `inputs`, or the reason one cannot be used.
QStringList expand(const QStringList &inputs, QString *error, QStringList *canonicals)
{
    QStringList files;
    for (const QString &input : inputs) {
        const QFileInfo info(input);
        if (!info.exists()) {
            *error = QStringLiteral("%1: no such file or folder").arg(shown(input));
            return {};
        }
        if (info.isDir()) {
            const QStringList found = recordFilesIn(input);
            if (found.isEmpty()) {
                *error = QStringLiteral("%1: the folder holds no send_*.txt or masterFile_*.txt")
                             .arg(shown(input));
                return {};
            }
            files += found;
            continue;
        }
        QFile probe(input);
        if (!probe.open(QIODevice::ReadOnly)) {
            *error =
                QStringLiteral("%1: cannot be opened: %2").arg(shown(input), probe.errorString());
            return {};
        }
        files.append(input);
    }
    // A file named twice (itself and through its folder) is read once.
    QStringList once;
    QSet<QString> seen;
    for (const QString &file : std::as_const(files)) {
        const QString canonical = QFileInfo(file).canonicalFilePath();
        if (!seen.contains(canonical)) {
            seen.insert(canonical);
            once.append(file);
            canonicals->append(canonical);
        }
    }
    return once;
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

} // namespace

QStringList recordFilesIn(const QString &folder)
{
    const QDir dir(folder);
    QStringList files;
    const QStringList names =
        dir.entryList({QStringLiteral("send_*.txt"), QStringLiteral("masterFile_*.txt")},
                      QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &name : names)
        files.append(dir.filePath(name));
    return files;
}

QString htmlPathForFolder(const QString &folder, const QString &otherFolder)
{
    const QString name = QStringLiteral("bexlorin-report.html");
    const QStringList studentFiles = QDir(folder).entryList(
        {QStringLiteral("masterFile_*.txt"), QStringLiteral("notes_*.txt")}, QDir::Files);
    return QDir(studentFiles.isEmpty() ? folder : otherFolder).filePath(name);
}

int report(const QStringList &inputs, const Outputs &outputs, QTextStream &out, QTextStream &err)
{
    QString error;
    QStringList canonicals;
    const QStringList files = expand(inputs, &error, &canonicals);
    if (!error.isEmpty()) {
        err << "bexlorin-report: " << error << Qt::endl;
        return UsageError;
    }
    for (const QString &output : {outputs.csvPath, outputs.htmlPath}) {
        const QString canonical = QFileInfo(output).canonicalFilePath();
        if (!output.isEmpty() && !canonical.isEmpty() && canonicals.contains(canonical)) {
            err << "bexlorin-report: " << shown(output) << " is one of the record files read"
                << Qt::endl;
            return UsageError;
        }
    }

    const QuestionIndex index(bank::assignmentContent());
    Gradebook book(index, !outputs.htmlPath.isEmpty());

    std::unique_ptr<QSaveFile> csvFile;
    std::unique_ptr<CsvWriter> csv;
    if (!outputs.csvPath.isEmpty()) {
        csvFile = std::make_unique<QSaveFile>(outputs.csvPath);
        if (!csvFile->open(QIODevice::WriteOnly)) {
            err << "bexlorin-report: " << shown(outputs.csvPath) << ": " << csvFile->errorString()
                << Qt::endl;
            return UsageError;
        }
        csv = std::make_unique<CsvWriter>(*csvFile);
        csv->writeHeader();
    }

    RecordParser::Handlers handlers;
    handlers.run = [&](const Run &run) { book.addRun(run); };
    handlers.record = [&](const Run &, const Record &record) {
        book.addRecord(record);
        if (csv)
            csv->writeRecord(book.currentRun(), record, remarkOf(record));
    };
    handlers.problem = [&](const Problem &problem) { book.addProblem(problem); };

    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            err << "bexlorin-report: " << shown(path)
                << ": cannot be opened: " << file.errorString() << Qt::endl;
            return UsageError;
        }
        const RecordFileName name = RecordFileName::of(path);
        book.beginFile(path);
        RecordParser parser(file, path, name.kind, index, name.monthDay);
        parser.parse(handlers);
    }

    bool written = true;
    if (csv) {
        if (!csv->finish() || !csvFile->commit()) {
            err << "bexlorin-report: " << shown(outputs.csvPath) << ": " << csvFile->errorString()
                << Qt::endl;
            written = false;
        }
    }
    if (!outputs.htmlPath.isEmpty()) {
        QSaveFile html(outputs.htmlPath);
        const QByteArray page = htmlreport::page(book, index).toUtf8();
        if (!html.open(QIODevice::WriteOnly) || html.write(page) != page.size() || !html.commit()) {
            err << "bexlorin-report: " << shown(outputs.htmlPath) << ": " << html.errorString()
                << Qt::endl;
            written = false;
        }
    }
    if (outputs.table)
        out << runtable::text(book.runs());
    for (const Problem &problem : book.problems()) {
        err << where(problem) << ": " << (problem.notice ? "note: " : "problem: ") << problem.text
            << Qt::endl;
    }
    out.flush();
    if (!written)
        return UsageError;
    return book.hasProblems() ? ProblemsReported : Clean;
}

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads the record files of Bexlorin (send_*.txt, masterFile_*.txt) and "
                       "reports every run: a table on the terminal, one CSV row per record, "
                       "or one HTML page. Exit status: 0 when every file was read without "
                       "problems, 1 when problems were reported, 2 for a usage error or an "
                       "input that cannot be opened. The record files are only read."));
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
    parser.addOptions({csvOption, htmlOption, chooseOption});
    parser.addPositionalArgument(QStringLiteral("paths"),
                                 QStringLiteral("Record files, or folders to search for them."),
                                 QStringLiteral("paths..."));

    if (!parser.parse(arguments)) {
        err << "bexlorin-report: " << parser.errorText() << Qt::endl;
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
        err << "bexlorin-report: --choose-folder needs a desktop session" << Qt::endl;
        return UsageError;
    }
    if (parser.positionalArguments().isEmpty()) {
        err << "bexlorin-report: name at least one record file or folder (see --help)" << Qt::endl;
        return UsageError;
    }
    Outputs outputs;
    outputs.csvPath = parser.value(csvOption);
    outputs.htmlPath = parser.value(htmlOption);
    outputs.table = outputs.csvPath.isEmpty() && outputs.htmlPath.isEmpty();
    return report(parser.positionalArguments(), outputs, out, err);
}

} // namespace report::reportcommand
