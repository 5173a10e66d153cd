// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QFile;
class QIODevice;

namespace report::inputs {

// A .zip read in place with libzip: its table of contents (names, sizes, methods, encryption)
// read once, each entry then inflated as it is read, into memory a piece at a time, never to
// disk. Entries are opened from any thread: each open entry reads the archive through a
// handle of its own, taken from a pool, since one libzip handle must not serve two threads.
class ZipArchive : public std::enable_shared_from_this<ZipArchive>
{
public:
    struct Entry
    {
        qint64 index = 0;
        QString name;    // decoded: UTF-8 where the entry says so, else UTF-8 or the DOS code page
        qint64 size = 0; // as the archive declares it, unpacked
        qint64 compressedSize = 0; // as the archive declares it
        bool directory = false;
        bool encrypted = false;
        bool methodKnown = true;
    };

    // Larger than any record file of a year: an entry declaring more is refused unread.
    static constexpr qint64 entryLimit = qint64(128) << 20;
    // Record files pack to a fifth or a tenth; an entry above 1 MiB packed tighter than this
    // is taken for a zip bomb.
    static constexpr qint64 ratioLimit = 100;

    // The archive's table of contents; null, with the reason, when it cannot be read.
    static std::shared_ptr<ZipArchive> open(const QString &path, QString *reason);
    ~ZipArchive();

    const QString &path() const { return path_; }
    const QList<Entry> &entries() const { return entries_; }
    // What is wrong with the archive as a whole though its entries are read (it was cut
    // short: only the entries before the cut are there); empty when nothing is.
    const QString &damage() const { return damage_; }

    // Why an entry is not read (encrypted, an unknown method, over the limits); empty when it is.
    static QString refusal(const Entry &entry);
    // The entry's bytes as they inflate, never more than it declares; null with the reason.
    std::unique_ptr<QIODevice> openEntry(qint64 index, QString *reason);

    struct Handle;
    class EntryDevice;

    // An archive cut short keeps its entries' local headers but loses the table of entries at
    // its end: the table that those headers give, with the archive's end record, read by libzip
    // as if it followed the last whole entry. Built in memory; the file is never written.
    struct MendedEnd
    {
        qint64 dataEnd = 0; // the archive's bytes up to here, then `table`
        QByteArray table;
        int entries = 0;
    };
    // Null when the file does not start with a whole entry whose size its header tells.
    static std::optional<MendedEnd> mendedEnd(QFile &file);

private:
    explicit ZipArchive(QString path);
    std::unique_ptr<Handle> takeHandle(QString *reason);
    void giveBack(std::unique_ptr<Handle> handle);
    bool mendCut();

    QString path_;
    QList<Entry> entries_;
    std::optional<MendedEnd> mended_;
    QString damage_;
    QMutex mutex_;
    std::vector<std::unique_ptr<Handle>> idle_;
};

} // namespace report::inputs
