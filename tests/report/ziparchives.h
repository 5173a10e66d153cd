// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <zip.h>

// Archives as course sites, Windows' compressed folders and hostile senders make them, written
// with libzip for the reader's tests and benchmark.
struct ZipItem
{
    QByteArray name;
    QByteArray bytes;
    qint64 zeros = 0;   // instead of bytes: this many zero bytes, made while they are packed
    bool cp437 = false; // the name in the DOS code page, without the UTF-8 flag
    bool encrypted = false;
    bool stored = false; // not compressed
    QString file{};      // instead of bytes: this file's, read while they are packed
};

// A source of `size` zero bytes that holds none of them.
inline zip_int64_t zeroBytes(void *state, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto *left = static_cast<zip_uint64_t *>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        left[0] = 0;
        return 0;
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_ERROR: {
        zip_error_t none;
        zip_error_init(&none);
        const zip_int64_t written = zip_error_to_data(&none, data, length);
        zip_error_fini(&none);
        return written;
    }
    case ZIP_SOURCE_READ: {
        const zip_uint64_t n = std::min(length, left[1] - left[0]);
        std::memset(data, 0, n);
        left[0] += n;
        return zip_int64_t(n);
    }
    case ZIP_SOURCE_STAT: {
        auto *stat = static_cast<zip_stat_t *>(data);
        zip_stat_init(stat);
        stat->size = left[1];
        stat->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_FREE:
        delete[] left;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
    default:
        return -1;
    }
}

inline bool writeZip(const QString &path, const QList<ZipItem> &items)
{
    QFile::remove(path);
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_EXCL, &error);
    if (!zip)
        return false;
    bool added = true;
    for (const ZipItem &item : items) {
        zip_source_t *source = nullptr;
        if (!item.file.isEmpty()) {
            source = zip_source_file(zip, QFile::encodeName(item.file).constData(), 0, -1);
        } else if (item.zeros > 0) {
            auto *state = new zip_uint64_t[2]{0, zip_uint64_t(item.zeros)};
            source = zip_source_function(zip, zeroBytes, state);
        } else {
            // libzip reads the bytes when the archive is closed: a copy it owns.
            void *copy = std::malloc(std::size_t(qMax<qsizetype>(item.bytes.size(), 1)));
            std::memcpy(copy, item.bytes.constData(), std::size_t(item.bytes.size()));
            source = zip_source_buffer(zip, copy, zip_uint64_t(item.bytes.size()), 1);
        }
        const zip_int64_t index = zip_file_add(zip, item.name.constData(), source,
                                               item.cp437 ? ZIP_FL_ENC_CP437 : ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            added = false;
            continue;
        }
        // Fast packing for the large ones; the reader sees a deflated entry all the same.
        zip_set_file_compression(zip, zip_uint64_t(index),
                                 item.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                 item.zeros > 0 ? 1 : 6);
        if (item.encrypted &&
            zip_file_set_encryption(zip, zip_uint64_t(index), ZIP_EM_TRAD_PKWARE, "secret") != 0)
            added = false;
    }
    if (zip_close(zip) != 0) {
        zip_discard(zip);
        return false;
    }
    return added;
}

// Rewrites the unpacked size the archive declares for `name`, in its local header and in the
// table of entries: an entry that lies about its size.
inline bool declareSize(QByteArray &archive, const QByteArray &name, quint32 size)
{
    int patched = 0;
    const struct
    {
        const char *signature;
        int nameLength, nameAt, sizeAt;
    } headers[] = {{"PK\x03\x04", 26, 30, 22}, {"PK\x01\x02", 28, 46, 24}};
    for (const auto &header : headers) {
        for (qsizetype at = archive.indexOf(header.signature); at >= 0;
             at = archive.indexOf(header.signature, at + 4)) {
            if (at + header.nameAt + name.size() > archive.size())
                break;
            const auto length =
                qFromLittleEndian<quint16>(archive.constData() + at + header.nameLength);
            if (length != name.size() || archive.mid(at + header.nameAt, length) != name)
                continue;
            qToLittleEndian<quint32>(size, archive.data() + at + header.sizeAt);
            ++patched;
        }
    }
    return patched == 2;
}

// What Windows' compressed folder writes for a name in a Western locale: the DOS code page.
inline QByteArray cp437(const QString &name)
{
    QByteArray bytes;
    for (const QChar c : name) {
        if (c.unicode() < 0x80)
            bytes += char(c.unicode());
        else if (c == QChar(0xEB)) // ë
            bytes += '\x89';
        else
            bytes += '?';
    }
    return bytes;
}

// The archives no course site hands out, each beside a good send file (`good`, named
// send_0303Sam_Student.txt) that must still be read; `other` is a second student's send file.
inline QStringList hostileArchiveKinds()
{
    return {QStringLiteral("1 GiB of zeros"),
            QStringLiteral("an entry lying about its size"),
            QStringLiteral("an encrypted entry"),
            QStringLiteral("a corrupt entry"),
            QStringLiteral("a cut archive"),
            QStringLiteral("../../x"),
            QStringLiteral("/etc/x"),
            QStringLiteral("a zip inside the zip"),
            QStringLiteral("a site's name and the file's name disagree")};
}

inline bool writeHostileArchive(const QString &kind, const QString &path, const QByteArray &good,
                                const QByteArray &other)
{
    QList<ZipItem> items{{"send_0303Sam_Student.txt", good}};
    if (kind == u"1 GiB of zeros") {
        items.append({"send_0303Zero.txt", {}, qint64(1) << 30});
    } else if (kind == u"an entry lying about its size" || kind == u"a cut archive") {
        items.append({"send_0303Liar.txt", other.repeated(4 * 1024 * 1024 / other.size() + 1)});
    } else if (kind == u"an encrypted entry") {
        items.append({"send_0303Kim_O_Doe.txt", other, 0, false, true});
    } else if (kind == u"a corrupt entry") {
        items.append({"send_0303Kim_O_Doe.txt", other, 0, false, false, true});
    } else if (kind == u"../../x" || kind == u"/etc/x") {
        items.append({kind.toUtf8(), other});
    } else if (kind == u"a zip inside the zip") {
        const QString inner = path + QStringLiteral(".inner");
        if (!writeZip(inner, {{"send_0303Kim_O_Doe.txt", other}}))
            return false;
        QFile file(inner);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        items.append({"inner.zip", file.readAll()});
        file.remove();
    } else if (kind == u"a site's name and the file's name disagree") {
        items.append({"Bo Chan_9102_assignsubmission_file_/send_0303Kim_O_Doe.txt", other});
    } else {
        return false;
    }
    if (!writeZip(path, items))
        return false;
    if (kind != u"an entry lying about its size" && kind != u"a cut archive" &&
        kind != u"a corrupt entry")
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    if (kind == u"an entry lying about its size" && !declareSize(bytes, "send_0303Liar.txt", 1000))
        return false;
    if (kind == u"a cut archive")
        bytes.truncate(bytes.size() * 6 / 10);
    if (kind == u"a corrupt entry") { // a byte of the stored entry changed: its CRC fails
        const qsizetype at = bytes.indexOf(other.mid(other.size() / 2, 64));
        if (at < 0)
            return false;
        bytes[at] = char(bytes[at] ^ 0x20);
    }
    return file.resize(0) && file.write(bytes) == bytes.size();
}
