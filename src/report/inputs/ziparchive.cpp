// SPDX-License-Identifier: MIT
#include "report/inputs/ziparchive.h"

#include "platform/inputfiles.h"

#include <QFile>
#include <QIODevice>
#include <QMutexLocker>
#include <QtEndian>

#include <cstring>
#include <zip.h>

namespace report::inputs {

// One reader of the archive: the file, opened by the platform's careful open (never a FIFO or
// a device), and libzip's handle reading it through the callback below.
struct ZipArchive::Handle
{
    QFile file;
    zip_error_t error{};
    zip_t *zip = nullptr;
    // A mended archive: the file's bytes up to `dataEnd`, then the table made for it.
    const MendedEnd *mended = nullptr;
    qint64 fileSize = 0;
    qint64 pos = 0;

    Handle() { zip_error_init(&error); }
    ~Handle()
    {
        if (zip)
            zip_discard(zip);
        zip_error_fini(&error);
    }
};

namespace {

using Handle = ZipArchive::Handle;

zip_int64_t failed(Handle &handle, int code)
{
    zip_error_set(&handle.error, code, 0);
    return -1;
}

qint64 sizeOf(const Handle &handle)
{
    return handle.mended ? handle.mended->dataEnd + handle.mended->table.size() : handle.fileSize;
}

zip_int64_t statOf(Handle &handle, void *data, zip_uint64_t length)
{
    zip_stat_t *stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &handle.error);
    if (!stat)
        return -1;
    zip_stat_init(stat);
    stat->size = zip_uint64_t(sizeOf(handle));
    stat->valid |= ZIP_STAT_SIZE;
    return sizeof(zip_stat_t);
}

// Up to `length` bytes from the handle's place: the file's own up to where a mended archive's
// table starts, then the table's.
zip_int64_t readAt(Handle &handle, char *data, qint64 length)
{
    const qint64 fileEnd = handle.mended ? handle.mended->dataEnd : handle.fileSize;
    qint64 done = 0;
    if (handle.pos < fileEnd) {
        if (handle.file.pos() != handle.pos && !handle.file.seek(handle.pos))
            return failed(handle, ZIP_ER_SEEK);
        const qint64 got = handle.file.read(data, qMin(length, fileEnd - handle.pos));
        if (got < 0)
            return failed(handle, ZIP_ER_READ);
        done = got;
        handle.pos += got;
        if (handle.pos < fileEnd)
            return done; // the file was shorter than it said: what there was
    }
    if (handle.mended && done < length) {
        const QByteArray &table = handle.mended->table;
        const qint64 from = handle.pos - fileEnd;
        const qint64 n = qBound<qint64>(0, table.size() - from, length - done);
        if (n > 0) {
            std::memcpy(data + done, table.constData() + from, size_t(n));
            done += n;
            handle.pos += n;
        }
    }
    return done;
}

// libzip reads the archive through Qt's file, so that a name beyond ASCII opens on Windows too.
zip_int64_t readArchive(void *state, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    Handle &handle = *static_cast<Handle *>(state);
    QFile &file = handle.file;
    switch (command) {
    case ZIP_SOURCE_OPEN:
        handle.pos = 0;
        return file.seek(0) ? 0 : failed(handle, ZIP_ER_SEEK);
    case ZIP_SOURCE_READ:
        return readAt(handle, static_cast<char *>(data),
                      qint64(qMin<zip_uint64_t>(length, zip_uint64_t(1) << 40)));
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_STAT:
        return statOf(handle, data, length);
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&handle.error, data, length);
    case ZIP_SOURCE_SEEK: {
        const zip_int64_t at = zip_source_seek_compute_offset(
            zip_uint64_t(handle.pos), zip_uint64_t(sizeOf(handle)), data, length, &handle.error);
        if (at < 0)
            return -1;
        handle.pos = at;
        return 0;
    }
    case ZIP_SOURCE_TELL:
        return handle.pos;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(
            ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
            ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, -1);
    default:
        return failed(handle, ZIP_ER_OPNOTSUPP);
    }
}

// libzip's words for what an instructor can act on.
QString archiveError(zip_error_t *error)
{
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOZIP:
        return QStringLiteral("no zip archive, or one cut short (the table of its entries, at its "
                              "end, is missing): download it again");
    case ZIP_ER_INCONS:
        return QStringLiteral("the archive is corrupt or cut short (%1): download it again")
            .arg(QString::fromUtf8(zip_error_strerror(error)));
    default:
        return QStringLiteral("the archive cannot be read: %1")
            .arg(QString::fromUtf8(zip_error_strerror(error)));
    }
}

ZipArchive::Entry entryOf(zip_t *zip, zip_uint64_t index)
{
    ZipArchive::Entry entry;
    entry.index = qint64(index);
    // Without the UTF-8 flag a name is taken as UTF-8 when it reads as such, else as the DOS
    // code page that Windows' compressed folders write.
    if (const char *name = zip_get_name(zip, index, ZIP_FL_ENC_GUESS))
        entry.name = QString::fromUtf8(name);
    entry.directory = entry.name.endsWith(u'/') || entry.name.endsWith(u'\\');
    zip_stat_t stat;
    if (zip_stat_index(zip, index, 0, &stat) == 0) {
        entry.size = qint64(qMin<zip_uint64_t>(stat.size, zip_uint64_t(1) << 62));
        entry.compressedSize = qint64(qMin<zip_uint64_t>(stat.comp_size, zip_uint64_t(1) << 62));
        entry.encrypted = stat.encryption_method != ZIP_EM_NONE;
        entry.methodKnown = zip_compression_method_supported(stat.comp_method, 0) != 0;
    }
    return entry;
}

constexpr quint32 localHeaderSignature = 0x04034b50;
constexpr quint32 centralHeaderSignature = 0x02014b50;
constexpr quint32 endSignature = 0x06054b50;
constexpr qint64 localHeaderSize = 30;

quint16 le16(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 le32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

void append16(QByteArray &bytes, quint16 value)
{
    char out[2];
    qToLittleEndian(value, out);
    bytes.append(out, 2);
}

void append32(QByteArray &bytes, quint32 value)
{
    char out[4];
    qToLittleEndian(value, out);
    bytes.append(out, 4);
}

// The table's record of an entry, from its local header (whose bytes 4 to 27, from the version
// needed to the name's length, the table repeats) and its name.
void appendTableRecord(QByteArray &table, const QByteArray &head, const QByteArray &name,
                       qint64 offset)
{
    append32(table, centralHeaderSignature);
    append16(table, 20); // made by: MS-DOS, zip 2.0
    table.append(head.constData() + 4, 24);
    append16(table, 0); // extra field
    append16(table, 0); // comment
    append16(table, 0); // disk
    append16(table, 0); // internal attributes
    append32(table, 0); // external attributes
    append32(table, quint32(offset));
    table.append(name);
}

} // namespace

// Walks the local headers from the start: each whole entry whose header tells its packed size
// joins the table; the walk stops at the first that does not (sizes in a data descriptor after
// the data, or in a zip64 field), at the cut, or at the archive's own table, if any is left.
std::optional<ZipArchive::MendedEnd> ZipArchive::mendedEnd(QFile &file)
{
    const qint64 size = file.size();
    MendedEnd mended;
    qint64 at = 0;
    while (mended.entries < 0xFFFF && at + localHeaderSize <= size && file.seek(at)) {
        const QByteArray head = file.read(localHeaderSize);
        if (head.size() != localHeaderSize || le32(head, 0) != localHeaderSignature)
            break;
        const quint16 flags = le16(head, 6);
        const quint32 packed = le32(head, 18);
        const qint64 dataStart = at + localHeaderSize + le16(head, 26) + le16(head, 28);
        const qint64 next = dataStart + packed;
        if ((flags & 0x0008) || packed == 0xFFFFFFFF || le32(head, 22) == 0xFFFFFFFF ||
            next > size || next > 0xFFFFFFFF)
            break;
        const QByteArray name = file.read(le16(head, 26));
        if (name.size() != le16(head, 26))
            break;
        appendTableRecord(mended.table, head, name, at);
        ++mended.entries;
        at = next;
    }
    if (mended.entries == 0)
        return std::nullopt;
    mended.dataEnd = at;
    const quint32 tableSize = quint32(mended.table.size());
    append32(mended.table, endSignature);
    append16(mended.table, 0); // this disk
    append16(mended.table, 0); // the table's disk
    append16(mended.table, quint16(mended.entries));
    append16(mended.table, quint16(mended.entries));
    append32(mended.table, tableSize);
    append32(mended.table, quint32(at));
    append16(mended.table, 0); // comment
    return mended;
}

// An entry's bytes as libzip inflates them, stopped one byte past what the archive declares
// for it: an entry that lies about its size costs no more time or memory than its word.
class ZipArchive::EntryDevice : public QIODevice
{
public:
    EntryDevice(std::shared_ptr<ZipArchive> archive, std::unique_ptr<Handle> handle,
                zip_file_t *file, qint64 declared)
        : archive_(std::move(archive))
        , handle_(std::move(handle))
        , file_(file)
        , declared_(declared)
    {
        QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    ~EntryDevice() override
    {
        QIODevice::close();
        zip_fclose(file_);
        archive_->giveBack(std::move(handle_));
    }

    bool isSequential() const override { return true; }
    qint64 size() const override { return declared_; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (failed_)
            return -1;
        const qint64 want = qMin(maxSize, declared_ - read_ + 1);
        const zip_int64_t got = zip_fread(file_, data, zip_uint64_t(want));
        if (got < 0)
            return fail(QString::fromUtf8(zip_file_strerror(file_)));
        read_ += got;
        if (read_ > declared_)
            return fail(QStringLiteral("the entry holds more than the %1 bytes the archive "
                                       "declares for it (a corrupt archive, or one made to "
                                       "mislead): not read further")
                            .arg(declared_));
        return got;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    qint64 fail(const QString &reason)
    {
        failed_ = true;
        setErrorString(reason);
        return -1;
    }

    std::shared_ptr<ZipArchive> archive_;
    std::unique_ptr<Handle> handle_;
    zip_file_t *file_;
    qint64 declared_;
    qint64 read_ = 0;
    bool failed_ = false;
};

ZipArchive::ZipArchive(QString path)
    : path_(std::move(path))
{}

ZipArchive::~ZipArchive() = default;

std::shared_ptr<ZipArchive> ZipArchive::open(const QString &path, QString *reason)
{
    std::shared_ptr<ZipArchive> archive(new ZipArchive(path));
    std::unique_ptr<Handle> handle = archive->takeHandle(reason);
    if (!handle && !archive->mendCut())
        return nullptr;
    if (!handle) {
        reason->clear();
        handle = archive->takeHandle(reason);
        if (!handle)
            return nullptr;
    }
    const zip_int64_t count = zip_get_num_entries(handle->zip, 0);
    for (zip_int64_t i = 0; i < count; ++i)
        archive->entries_.append(entryOf(handle->zip, zip_uint64_t(i)));
    archive->giveBack(std::move(handle));
    return archive;
}

std::unique_ptr<ZipArchive::Handle> ZipArchive::takeHandle(QString *reason)
{
    {
        const QMutexLocker lock(&mutex_);
        if (!idle_.empty()) {
            std::unique_ptr<Handle> handle = std::move(idle_.back());
            idle_.pop_back();
            return handle;
        }
    }
    auto handle = std::make_unique<Handle>();
    if (const QString why = platform::inputfiles::openForReading(path_, handle->file);
        !why.isEmpty()) {
        *reason = why;
        return nullptr;
    }
    handle->fileSize = handle->file.size();
    if (mended_)
        handle->mended = &*mended_;
    zip_source_t *source = zip_source_function_create(readArchive, handle.get(), nullptr);
    zip_error_t error;
    zip_error_init(&error);
    if (source)
        handle->zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!handle->zip) {
        *reason = archiveError(&error);
        if (source)
            zip_source_free(source);
    }
    zip_error_fini(&error);
    return handle->zip ? std::move(handle) : nullptr;
}

// An archive that libzip cannot open may have been cut short while it was downloaded: the
// entries before the cut are read through the table their headers give, and the cut is said.
bool ZipArchive::mendCut()
{
    QFile file;
    if (!platform::inputfiles::openForReading(path_, file).isEmpty())
        return false;
    mended_ = mendedEnd(file);
    if (!mended_)
        return false;
    damage_ =
        QStringLiteral("the archive is cut short (its table of entries, at its end, is "
                       "missing): %1 before byte %2 of its %3 read, any after lost; "
                       "download it again")
            .arg(mended_->entries == 1 ? QStringLiteral("the entry")
                                       : QStringLiteral("the %1 entries").arg(mended_->entries))
            .arg(mended_->dataEnd)
            .arg(file.size());
    return true;
}

void ZipArchive::giveBack(std::unique_ptr<Handle> handle)
{
    const QMutexLocker lock(&mutex_);
    idle_.push_back(std::move(handle));
}

QString ZipArchive::refusal(const Entry &entry)
{
    if (entry.encrypted)
        return QStringLiteral("the entry is encrypted: not read (no password is asked for; "
                              "unpack it with its password and name the folder)");
    if (!entry.methodKnown)
        return QStringLiteral("the entry is packed by a method this reader does not know: not "
                              "read (unpack it and name the folder)");
    if (entry.size > entryLimit)
        return QStringLiteral("the entry unpacks to %1 MiB, over the %2 MiB a record file can "
                              "reach: not read")
            .arg(entry.size >> 20)
            .arg(entryLimit >> 20);
    if (entry.size > (1 << 20) && entry.size / qMax<qint64>(entry.compressedSize, 1) > ratioLimit)
        return QStringLiteral("the entry unpacks to %1 times its packed size, beyond any record "
                              "file (a zip bomb): not read")
            .arg(entry.size / qMax<qint64>(entry.compressedSize, 1));
    return {};
}

std::unique_ptr<QIODevice> ZipArchive::openEntry(qint64 index, QString *reason)
{
    std::unique_ptr<Handle> handle = takeHandle(reason);
    if (!handle)
        return nullptr;
    zip_file_t *file = zip_fopen_index(handle->zip, zip_uint64_t(index), 0);
    if (!file) {
        *reason = QStringLiteral("the entry cannot be read: %1")
                      .arg(QString::fromUtf8(zip_strerror(handle->zip)));
        giveBack(std::move(handle));
        return nullptr;
    }
    return std::make_unique<EntryDevice>(shared_from_this(), std::move(handle), file,
                                         entries_.value(index).size);
}

} // namespace report::inputs
