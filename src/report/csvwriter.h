// SPDX-License-Identifier: MIT
#pragma once

#include "report/recordtypes.h"

#include <QByteArray>
#include <QStringEncoder>
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
    // Writes what is still held; false when any write failed.
    bool finish();

    static QByteArray field(const QString &text);
    static QString kindText(RecordKind kind);

    // The sink of recordrow::write.
    void addText(QStringView text);
    void addNumber(std::optional<int> number);

private:
    static bool needsQuotes(QByteArrayView bytes);
    void endRow();
    void flushRows();

    QIODevice &device_;
    QByteArray row_;
    QStringEncoder encoder_{QStringEncoder::Utf8};
    bool fieldInRow_ = false;
    bool failed_ = false;
};

} // namespace report
