// SPDX-License-Identifier: MIT
#pragma once

#include "platform/appendfile.h"

#include <QByteArray>
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
// anything is written, each receives its record with one write, is flushed to stable storage
// and closed. Nothing is ever shortened or rewritten, not even to repair: a record that a kill
// or power cut left incomplete stays as it is, and the next record written to that file
// starts on a line of its own (see lineEndBefore).
class RecordFiles
{
public:
    explicit RecordFiles(QStringList paths);
    ~RecordFiles();
    RecordFiles(const RecordFiles &) = delete;
    RecordFiles &operator=(const RecordFiles &) = delete;

    // Opens every file for appending; a missing file is created. On failure none stays open.
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
    std::vector<std::unique_ptr<platform::AppendFile>> files_;
};

// What goes before a record appended to a file whose last bytes are `tail` (at most two; null
// when the file could not be read): CR LF when the file is not empty and does not end in
// CR LF (a record cut short, or a hand edit), so that the earlier text keeps its own line and
// the record starts on a new one; otherwise nothing.
QByteArray lineEndBefore(const QByteArray &tail);

// Refusal of texts the record files cannot hold, checked before any file is touched.
std::optional<RecordFailure> checkStorable(const QStringList &texts);

// The student's view of a failure: what failed, why, and what to do about it.
QString describe(const RecordFailure &failure);

// The student's view of a rating refused for its characters; the rating is asked again.
QString describeRefusedRating(const RecordFailure &failure);

} // namespace records
