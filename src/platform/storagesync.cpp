// SPDX-License-Identifier: MIT
#include "platform/storagesync.h"

#include <QFileDevice>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
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

} // namespace platform
