// SPDX-License-Identifier: MIT
#pragma once

#include "report/recordtypes.h"

#include <QByteArray>
#include <QStringList>

class QIODevice;

namespace report {

struct RunSummary;

// One row per record, RFC 4180: every field quoted where it holds a comma, a quote or a line
// break, quotes doubled, rows ending in CR LF. UTF-8 with a byte-order mark, so that
// spreadsheet programs take the encoding without asking.
class CsvWriter
{
public:
    explicit CsvWriter(QIODevice &device);

    void writeHeader();
    void writeRecord(const RunSummary &run, const Record &record, const QString &remark);
    bool failed() const { return failed_; }

    static QByteArray field(const QString &text);
    static QString kindText(RecordKind kind);

private:
    void writeRow(const QStringList &fields);

    QIODevice &device_;
    QByteArray row_;
    bool failed_ = false;
};

} // namespace report
