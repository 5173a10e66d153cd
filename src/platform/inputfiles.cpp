// SPDX-License-Identifier: MIT
#include "platform/inputfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#ifndef Q_OS_WIN
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform::inputfiles {

namespace {

bool startsWithAny(QByteArrayView name, const QList<QByteArray> &prefixes)
{
    if (prefixes.isEmpty())
        return name != "." && name != "..";
    for (const QByteArray &prefix : prefixes) {
        if (name.size() >= prefix.size() &&
            qstrnicmp(name.data(), prefix.constData(), size_t(prefix.size())) == 0)
            return true;
    }
    return false;
}

#ifndef Q_OS_WIN

QString typeReason(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("is a folder, not a record file");
    if (S_ISFIFO(mode))
        return QStringLiteral("is a FIFO (named pipe), not a regular file: not read");
    if (S_ISSOCK(mode))
        return QStringLiteral("is a socket, not a regular file: not read");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("is a device, not a regular file: not read");
    return QStringLiteral("is not a regular file: not read");
}

// Why stat() failed, told apart for links, which lstat() still finds.
QString statFailure(const QByteArray &path, int error)
{
    struct stat link;
    if (error == ELOOP)
        return QStringLiteral("a link loop (%1)").arg(qt_error_string(error));
    if (error == ENOENT && ::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode))
        return QStringLiteral("a dangling link: what it points to does not exist");
    if (error == ENOENT)
        return QStringLiteral("no such file or folder");
    return qt_error_string(error);
}

// The name's bytes, those that are not UTF-8 written as \xNN.
QString shownName(QByteArrayView raw)
{
    QString shown;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    for (qsizetype i = 0; i < raw.size();) {
        const int length = uchar(raw[i]) < 0x80    ? 1
                           : uchar(raw[i]) >= 0xF0 ? 4
                           : uchar(raw[i]) >= 0xE0 ? 3
                                                   : 2;
        const QByteArrayView piece = raw.sliced(i, qMin<qsizetype>(length, raw.size() - i));
        QString text = decoder.decode(piece);
        if (!decoder.hasError() && piece.size() == length && !text.contains(QChar(0xFFFD))) {
            shown += text;
            i += length;
        } else {
            shown += QStringLiteral("\\x%1").arg(uchar(raw[i]), 2, 16, QChar(u'0'));
            ++i;
        }
        decoder.resetState();
    }
    return shown;
}

bool validName(QByteArrayView raw)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(raw);
    return !decoder.hasError() && QFile::encodeName(text) == raw;
}

#endif

} // namespace

#ifndef Q_OS_WIN

Inspection inspect(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info;
    if (::stat(native.constData(), &info) != 0)
        return {Kind::Unusable, statFailure(native, errno)};
    if (S_ISDIR(info.st_mode))
        return {Kind::Folder, {}};
    if (S_ISREG(info.st_mode))
        return {Kind::RegularFile, {}};
    return {Kind::Unusable, typeReason(info.st_mode)};
}

bool entriesStartingWith(const QString &folder, const QList<QByteArray> &prefixes,
                         QList<Entry> *entries, QString *reason)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        *reason = qt_error_string(errno);
        return false;
    }
    const QDir qdir(folder);
    errno = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (!startsWithAny(name, prefixes))
            continue;
        Entry found;
        found.nameValid = validName(name);
        found.shownName = shownName(name);
        if (found.nameValid)
            found.path = qdir.filePath(QFile::decodeName(entry->d_name));
        entries->append(found);
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) {
        *reason = qt_error_string(error);
        return false;
    }
    return true;
}

QString openForReading(const QString &path, QFile &file)
{
    const Inspection inspection = inspect(path);
    if (inspection.kind != Kind::RegularFile)
        return inspection.kind == Kind::Folder ? typeReason(S_IFDIR) : inspection.reason;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("cannot be opened: %1").arg(qt_error_string(errno));
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const QString reason = typeReason(info.st_mode);
        ::close(fd);
        return reason;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return file.errorString();
    }
    return {};
}

#else

// Windows names are UTF-16 and always reach Qt whole; there are no FIFOs or devices among a
// folder's files.
Inspection inspect(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists())
        return {Kind::Unusable,
                QStringLiteral("a dangling link: what it points to does not exist")};
    if (!info.exists())
        return {Kind::Unusable, QStringLiteral("no such file or folder")};
    if (info.isDir())
        return {Kind::Folder, {}};
    if (info.isFile())
        return {Kind::RegularFile, {}};
    return {Kind::Unusable, QStringLiteral("is not a regular file: not read")};
}

bool entriesStartingWith(const QString &folder, const QList<QByteArray> &prefixes,
                         QList<Entry> *entries, QString *reason)
{
    const QDir dir(folder);
    if (!dir.isReadable()) {
        *reason = QStringLiteral("the folder cannot be listed (no permission)");
        return false;
    }
    const QStringList names =
        dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (startsWithAny(name.toUtf8(), prefixes))
            entries->append({dir.filePath(name), name, true});
    }
    return true;
}

QString openForReading(const QString &path, QFile &file)
{
    const Inspection inspection = inspect(path);
    if (inspection.kind != Kind::RegularFile)
        return inspection.kind == Kind::Folder ? QStringLiteral("is a folder, not a record file")
                                               : inspection.reason;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return QStringLiteral("cannot be opened: %1").arg(file.errorString());
    return {};
}

#endif

} // namespace platform::inputfiles
