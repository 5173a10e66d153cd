// SPDX-License-Identifier: MIT
#include "report/inputs/ziparchive.h"

#include "platform/inputfiles.h"

#include <QFile>
#include <QIODevice>
#include <QMutexLocker>

#include <zip.h>

namespace report::inputs {

// One reader of the archive: the file, opened by the platform's careful open (never a FIFO or
// a device), and libzip's handle reading it through the callback below.
struct ZipArchive::Handle
{
    QFile file;
    zip_error_t error{};
    zip_t *zip = nullptr;

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

zip_int64_t statOf(Handle &handle, void *data, zip_uint64_t length)
{
    zip_stat_t *stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &handle.error);
    if (!stat)
        return -1;
    zip_stat_init(stat);
    stat->size = zip_uint64_t(handle.file.size());
    stat->valid |= ZIP_STAT_SIZE;
    return sizeof(zip_stat_t);
}

// libzip reads the archive through Qt's file, so that a name beyond ASCII opens on Windows too.
zip_int64_t readArchive(void *state, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    Handle &handle = *static_cast<Handle *>(state);
    QFile &file = handle.file;
    switch (command) {
    case ZIP_SOURCE_OPEN:
        return file.seek(0) ? 0 : failed(handle, ZIP_ER_SEEK);
    case ZIP_SOURCE_READ: {
        const qint64 got = file.read(static_cast<char *>(data), qint64(length));
        return got >= 0 ? got : failed(handle, ZIP_ER_READ);
    }
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_STAT:
        return statOf(handle, data, length);
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&handle.error, data, length);
    case ZIP_SOURCE_SEEK: {
        const zip_int64_t at = zip_source_seek_compute_offset(
            zip_uint64_t(file.pos()), zip_uint64_t(file.size()), data, length, &handle.error);
        if (at < 0)
            return -1;
        return file.seek(at) ? 0 : failed(handle, ZIP_ER_SEEK);
    }
    case ZIP_SOURCE_TELL:
        return file.pos();
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

} // namespace

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
    if (!handle)
        return nullptr;
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
