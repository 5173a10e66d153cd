// SPDX-License-Identifier: MIT
#pragma once

#include "records/recordcomposition.h"

#include <QByteArray>
#include <QString>

// Record files as a term of real use leaves them: response and notes records for the built-in
// questions and answers, with typical student texts (several lines, characters such as ² ° µ
// é –), composed by the program's own record functions, Windows-1252, CR LF.
namespace bench::fixtures {

// `count` response records as `file` holds them, cycling through the assignment entries.
QByteArray responseRecords(records::RecordFile file, int count);

// `count` notes records (every record file holds notes records the same way).
QByteArray notesRecords(int count);

// A send file of at least `minimumBytes`: runs' opening blocks, each followed by the send
// copies of that run's response and notes records. Runs are numbered from `firstRun`, which
// makes their code lines. `date` (mm-dd-yyyy) is the runs' date, 03-03-2026 when empty.
QByteArray sendFile(qsizetype minimumBytes, int firstRun = 0, const QString &date = {});

// Appends `bytes` to the file at `path` and flushes it to stable storage.
bool appendAndSync(const QString &path, const QByteArray &bytes);

} // namespace bench::fixtures
