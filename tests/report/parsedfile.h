// SPDX-License-Identifier: MIT
#pragma once

#include "bank/assignmentcontent.h"
#include "report/gradebook.h"
#include "report/questionindex.h"
#include "report/recordfilename.h"
#include "report/recordparser.h"

#include <QBuffer>
#include <QByteArray>
#include <QList>
#include <QString>

// Everything the reader hands on for one file's bytes.
struct ParsedFile
{
    QList<report::Run> runs;
    QList<report::Record> records;
    QList<report::Problem> problems; // notices included
    report::LineSource::LineEnds lineEnds = report::LineSource::LineEnds::None;
    report::LineSource::Encoding encoding = report::LineSource::Encoding::Ascii;

    QList<report::Problem> realProblems() const
    {
        QList<report::Problem> found;
        for (const report::Problem &problem : problems) {
            if (!problem.notice)
                found.append(problem);
        }
        return found;
    }
};

inline const report::QuestionIndex &builtInIndex()
{
    static const report::QuestionIndex index(bank::assignmentContent());
    return index;
}

// `name` decides the file kind and the date the opening blocks must have. A line limit well
// below the reader's own lets a test try longer lines with a few kilobytes; the read size is how
// much the reader asks for at a time.
inline ParsedFile parseBytes(const QByteArray &bytes, const QString &name,
                             qsizetype lineLimit = 64 * 1024,
                             qsizetype readSize = report::LineSource::defaultReadSize)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    const report::RecordFileName fileName = report::RecordFileName::of(name);
    report::RecordParser parser(buffer, name, fileName.kind, builtInIndex(), fileName.monthDay,
                                lineLimit, readSize);
    ParsedFile parsed;
    // The gradebook adds what only a reader of whole runs can tell: a run that comes twice.
    report::Gradebook book(builtInIndex(), false);
    book.beginFile(name);
    report::RecordParser::Handlers handlers;
    handlers.run = [&](const report::Run &run) {
        parsed.runs.append(run);
        book.addRun(run);
    };
    handlers.record = [&](const report::Run &, const report::Record &record) {
        parsed.records.append(record);
    };
    handlers.problem = [&](const report::Problem &problem) { book.addProblem(problem); };
    parser.parse(handlers);
    parsed.problems = book.problems();
    parsed.lineEnds = parser.source().lineEnds();
    parsed.encoding = parser.source().encoding();
    return parsed;
}
