// SPDX-License-Identifier: MIT
#pragma once

#include "records/recordjournal.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <optional>
#include <vector>

namespace records {

// Why a record did not reach all of its files.
struct RecordFailure
{
    enum class Kind { Unstorable, Open, Write };
    Kind kind = Kind::Open;
    QList<char32_t> characters; // Unstorable: the characters the code page cannot store
    QString path;               // Open, Write: the file that failed
    QString reason;             // Open, Write: the system's reason
    QStringList received;       // Write: the files that hold the whole record
    QStringList notReceived;    // Write: the files that do not hold it
};

// The files of one record. Record files only grow: every file is opened for appending before
// anything is written, each receives its text with one write, is flushed to stable storage
// and closed. A journal (RecordJournal) takes back a record that a failed write, a kill or a
// power cut left unfinished, so every file holds whole records only; nothing else is ever
// shortened.
class RecordFiles
{
public:
    explicit RecordFiles(QStringList paths);
    ~RecordFiles();
    RecordFiles(const RecordFiles &) = delete;
    RecordFiles &operator=(const RecordFiles &) = delete;

    // Opens every file for appending; a missing file is created. A record an earlier run left
    // unfinished is taken back first. On failure none stays open.
    std::optional<RecordFailure> open();

    // Appends texts[i] to the i-th file, in order, and closes them all. When a text holds a
    // character the code page cannot store, nothing is written. Writing stops at the first
    // file that fails; the failure names the files that did and did not receive the record.
    std::optional<RecordFailure> append(const QStringList &texts);

    // open() followed by append().
    std::optional<RecordFailure> openAndAppend(const QStringList &texts);

private:
    void closeAll();

    QStringList paths_;
    RecordJournal journal_;
    std::vector<std::unique_ptr<QFile>> files_;
};

// Refusal of texts the record files cannot hold, checked before any file is touched.
std::optional<RecordFailure> checkStorable(const QStringList &texts);

// The student's view of a failure: what failed, why, and what to do about it.
QString describe(const RecordFailure &failure);

} // namespace records
