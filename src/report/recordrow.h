// SPDX-License-Identifier: MIT
#pragma once

#include "report/gradebook.h"
#include "report/recordtypes.h"

#include <QString>
#include <QStringList>

#include <optional>

// The columns of one record's row, in order, for every file that holds one row per record
// (the CSV and the workbook), so that the two cannot disagree. A sink has addText (a text as
// read or typed) and addNumber (a number the reader worked out; empty when there is none).
namespace report::recordrow {

QStringList headers();
QString kindText(RecordKind kind);
// "mm-dd-yyyyhh:mm:ss" as a notes record writes it, with a blank put between date and time so
// that it reads as one; anything else as written.
QString notesStamp(const QString &stamp);

template<typename Sink>
void write(Sink &sink, const RunSummary &run, const Record &record, const QString &remark)
{
    sink.addText(run.student);
    sink.addText(run.file);
    sink.addText(run.date);
    sink.addText(run.assignmentText);
    sink.addNumber(run.codeNumber);
    sink.addNumber(record.question > 0 ? std::optional<int>(record.question) : std::nullopt);
    sink.addText(kindText(record.kind));
    sink.addText(record.time);
    sink.addText(record.ratingTyped);
    sink.addNumber(record.rating);
    sink.addText(record.response);
    sink.addText(remark);
    sink.addText(notesStamp(record.dateAndTime));
}

} // namespace report::recordrow
