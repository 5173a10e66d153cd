// SPDX-License-Identifier: MIT
#include "platform/storagesync.h"

#include <QFile>
#include <QFileDevice>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {

QString syncToStorage(QFileDevice &file)
{
    if (!file.flush())
        return file.errorString();
#ifdef Q_OS_WIN
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    if (handle == INVALID_HANDLE_VALUE || !FlushFileBuffers(handle)) {
        const DWORD error = GetLastError();
        if (error == ERROR_INVALID_FUNCTION || error == ERROR_INVALID_HANDLE)
            return {};
        return QStringLiteral("could not flush the file to disk (error %1)").arg(error);
    }
#else
    if (::fsync(file.handle()) != 0) {
        const int error = errno;
        if (error == EINVAL || error == EROFS || error == ENOTSUP)
            return {};
        return QString::fromLocal8Bit(std::strerror(error));
    }
#endif
    return {};
}

QString syncFolder(const QString &path)
{
#ifdef Q_OS_WIN
    // NTFS journals its folder entries itself; a folder cannot be flushed like a file.
    Q_UNUSED(path);
    return {};
#else
    const int folder = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (folder < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const int result = ::fsync(folder);
    const int error = errno;
    ::close(folder);
    if (result != 0 && error != EINVAL && error != EROFS)
        return QString::fromLocal8Bit(std::strerror(error));
    return {};
#endif
}

} // namespace platform
