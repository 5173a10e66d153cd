// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

namespace records {

// Keeps an append of one record to several files whole or absent, even when the process is
// killed or the power fails in the middle of it (the system may stop a large write at any
// page). Before the record is written, every file's size before and after it is saved and
// synced in a small note beside the first file; once every file is synced, the note goes.
// A note found later names files that may end in a torn record: a file whose size lies
// strictly between its two sizes is cut back to its size before. That removes only bytes of
// the unfinished record; whole records, earlier or later, are never touched.
class RecordJournal
{
public:
    struct Entry
    {
        QString path;
        qint64 sizeBefore = 0;
        qint64 sizeAfter = 0;
    };

    explicit RecordJournal(const QString &firstPath);

    // Undoes what an interrupted append left behind, if anything. Empty on success,
    // otherwise the reason the files could not be repaired.
    QString recover() const;

    // Saves the entries durably before any byte of the record is written. Empty on success.
    QString begin(const QList<Entry> &entries) const;

    // Every file holds the whole record and is synced: the note is no longer needed.
    void finish() const;

private:
    QString notePath_;
};

} // namespace records
