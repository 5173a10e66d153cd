// SPDX-License-Identifier: MIT
#include "records/recordjournal.h"

#include "platform/storagesync.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace records {

namespace {

constexpr quint32 noteMagic = 0x42584a31; // "BXJ1"
constexpr auto streamVersion = QDataStream::Qt_6_4;

// Cuts a torn record off the end of `entry`'s file; empty on success.
QString cutBack(const RecordJournal::Entry &entry)
{
    const QFileInfo info(entry.path);
    if (!info.exists() || info.size() <= entry.sizeBefore || info.size() >= entry.sizeAfter)
        return {};
    QFile file(entry.path);
    if (!file.open(QIODevice::ReadWrite) || !file.resize(entry.sizeBefore))
        return file.errorString();
    return platform::syncToStorage(file);
}

} // namespace

RecordJournal::RecordJournal(const QString &firstPath)
{
    // One note per first file, so students sharing a folder never meet each other's notes;
    // named by a digest because the first file's own name may already be as long as names go.
    const QFileInfo first(firstPath);
    const QByteArray digest =
        QCryptographicHash::hash(first.fileName().toUtf8(), QCryptographicHash::Sha1).toHex();
    notePath_ =
        first.dir().filePath(QStringLiteral(".bexlorin-") + QString::fromLatin1(digest.left(16)) +
                             QStringLiteral(".unfinished"));
}

QString RecordJournal::recover() const
{
    QFile note(notePath_);
    if (!note.exists())
        return {};
    if (!note.open(QIODevice::ReadOnly))
        return note.errorString();
    QDataStream in(&note);
    in.setVersion(streamVersion);
    quint32 magic = 0;
    qint32 count = 0;
    in >> magic >> count;
    QList<Entry> entries;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        Entry entry;
        in >> entry.path >> entry.sizeBefore >> entry.sizeAfter;
        entries.append(entry);
    }
    note.close();
    // A note cut short was being written when the run stopped, before any record byte was.
    if (magic == noteMagic && in.status() == QDataStream::Ok) {
        for (const Entry &entry : std::as_const(entries)) {
            const QString reason = cutBack(entry);
            if (!reason.isEmpty())
                return reason;
        }
    }
    QFile::remove(notePath_);
    return {};
}

QString RecordJournal::begin(const QList<Entry> &entries) const
{
    QFile note(notePath_);
    if (!note.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return note.errorString();
    QDataStream out(&note);
    out.setVersion(streamVersion);
    out << noteMagic << qint32(entries.size());
    for (const Entry &entry : entries)
        out << entry.path << entry.sizeBefore << entry.sizeAfter;
    QString reason =
        out.status() == QDataStream::Ok ? platform::syncToStorage(note) : note.errorString();
    note.close();
    if (reason.isEmpty())
        reason = platform::syncFolder(QFileInfo(notePath_).absolutePath());
    if (!reason.isEmpty())
        QFile::remove(notePath_);
    return reason;
}

void RecordJournal::finish() const
{
    QFile::remove(notePath_);
}

} // namespace records
