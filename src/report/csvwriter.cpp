// SPDX-License-Identifier: MIT
#include "report/csvwriter.h"

#include "report/gradebook.h"

#include <QIODevice>

namespace report {

CsvWriter::CsvWriter(QIODevice &device)
    : device_(device)
{}

QByteArray CsvWriter::field(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const bool quote =
        bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n');
    if (!quote)
        return bytes;
    QByteArray quoted = bytes;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

QString CsvWriter::kindText(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Question:
        return QStringLiteral("question");
    case RecordKind::Answer:
        return QStringLiteral("answer");
    case RecordKind::Note:
        return QStringLiteral("note");
    case RecordKind::Response:
        break;
    }
    return QStringLiteral("response");
}

void CsvWriter::writeRow(const QStringList &fields)
{
    row_.clear();
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            row_ += ',';
        row_ += field(fields[i]);
    }
    row_ += "\r\n";
    if (device_.write(row_) != row_.size())
        failed_ = true;
}

void CsvWriter::writeHeader()
{
    if (device_.write("\xEF\xBB\xBF") != 3)
        failed_ = true;
    writeRow({QStringLiteral("student"), QStringLiteral("file"), QStringLiteral("run date"),
              QStringLiteral("assignment"), QStringLiteral("code number"),
              QStringLiteral("question"), QStringLiteral("kind"), QStringLiteral("time"),
              QStringLiteral("rating as typed"), QStringLiteral("rating"),
              QStringLiteral("response"), QStringLiteral("remark")});
}

void CsvWriter::writeRecord(const RunSummary &run, const Record &record, const QString &remark)
{
    writeRow({run.student, run.file, run.date, run.assignmentText,
              run.codeNumber ? QString::number(*run.codeNumber) : QString(),
              record.question > 0 ? QString::number(record.question) : QString(),
              kindText(record.kind), record.time, record.ratingTyped,
              record.rating ? QString::number(*record.rating) : QString(), record.response,
              remark});
}

} // namespace report
