// SPDX-License-Identifier: MIT
#include "platform/appendfile.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <utility>

#ifdef Q_OS_WIN
#include <QDir>
#include <QFileInfo>

#include <string>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

constexpr qint64 tailSize = 2;

// A short pause between tries of something another program holds for a moment.
constexpr int retryPauseMilliseconds = 20;

// Tries `attempt` until it succeeds, says not to try again, or `milliseconds` have passed.
template<typename Attempt>
bool tryFor(int milliseconds, Attempt attempt)
{
    const QDeadlineTimer deadline(milliseconds);
    for (;;) {
        bool again = false;
        if (attempt(again))
            return true;
        if (!again || deadline.hasExpired())
            return false;
        QThread::msleep(retryPauseMilliseconds);
    }
}

#ifdef Q_OS_WIN
const qintptr closedHandle = qintptr(INVALID_HANDLE_VALUE);

// CreateFileW refuses a path of MAX_PATH characters or more unless it comes in the long form
// (\\?\ in front), which takes only absolute paths with backslashes: a long name in a deep
// folder must not fail where a shorter one works.
std::wstring systemPath(const QString &path)
{
    QString native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    const QString longForm = QStringLiteral(R"(\\?\)");
    constexpr qsizetype shortestLongPath = MAX_PATH - 12; // what folders are held to
    if (native.size() >= shortestLongPath && !native.startsWith(longForm)) {
        native = native.startsWith(QStringLiteral(R"(\\)"))
                     ? longForm + QStringLiteral(R"(UNC\)") + native.mid(2)
                     : longForm + native;
    }
    return native.toStdWString();
}

QString lastError()
{
    return systemReason(int(GetLastError()));
}

// A read-only look at the end of the file, holding an exclusive lock on one byte far beyond
// any real end, so that it bars no reader or writer of the data itself, only other copies
// of this class taking the same lock.
class TailLook
{
public:
    explicit TailLook(const QString &path)
        : handle_(CreateFileW(systemPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            return;
        lockRange_.Offset = 0xFFFFFFFE;
        lockRange_.OffsetHigh = 0x7FFFFFFF;
        locked_ = tryFor(AppendFile::lockWaitMilliseconds, [this](bool &again) {
            if (LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                           &lockRange_))
                return true;
            again = GetLastError() == ERROR_LOCK_VIOLATION || GetLastError() == ERROR_IO_PENDING;
            return false;
        });
    }
    ~TailLook()
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            return;
        if (locked_)
            UnlockFileEx(handle_, 0, 1, 0, &lockRange_);
        CloseHandle(handle_);
    }
    TailLook(const TailLook &) = delete;
    TailLook &operator=(const TailLook &) = delete;

    QByteArray tail() const
    {
        LARGE_INTEGER size{};
        if (handle_ == INVALID_HANDLE_VALUE || GetFileType(handle_) != FILE_TYPE_DISK ||
            !GetFileSizeEx(handle_, &size))
            return {};
        const qint64 count = qMin<qint64>(size.QuadPart, tailSize);
        QByteArray bytes(count, '\0');
        OVERLAPPED at{};
        const quint64 offset = quint64(size.QuadPart - count);
        at.Offset = DWORD(offset & 0xFFFFFFFF);
        at.OffsetHigh = DWORD(offset >> 32);
        DWORD done = 0;
        if (count > 0 &&
            (!ReadFile(handle_, bytes.data(), DWORD(count), &done, &at) || done != DWORD(count)))
            return {};
        return count > 0 ? bytes : QByteArray("");
    }

private:
    HANDLE handle_;
    OVERLAPPED lockRange_{};
    bool locked_ = false;
};

#else
constexpr qintptr closedHandle = -1;

QString lastError()
{
    return systemReason(errno);
}

// A read-only look at the end of the file, holding an advisory lock (flock) on it: other
// copies of this class wait, for a bounded time; no other program is hindered.
class TailLook
{
public:
    explicit TailLook(const QString &path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
    {
        if (fd_ < 0)
            return;
        tryFor(AppendFile::lockWaitMilliseconds, [this](bool &again) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
                return true;
            again = errno == EWOULDBLOCK || errno == EINTR;
            return false;
        });
    }
    ~TailLook()
    {
        if (fd_ >= 0)
            ::close(fd_); // releases the lock
    }
    TailLook(const TailLook &) = delete;
    TailLook &operator=(const TailLook &) = delete;

    QByteArray tail() const
    {
        struct stat info
        {};
        if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))
            return {};
        const qint64 count = qMin<qint64>(info.st_size, tailSize);
        QByteArray bytes(count, '\0');
        if (count > 0 && ::pread(fd_, bytes.data(), size_t(count), info.st_size - count) != count)
            return {};
        return count > 0 ? bytes : QByteArray("");
    }

private:
    int fd_;
};

#endif

} // namespace

QString systemReason(int code)
{
    QString reason = qt_error_string(code).trimmed();
    while (reason.endsWith(u'.'))
        reason.chop(1);
    return reason;
}

AppendFile::AppendFile(QString path)
    : path_(std::move(path))
    , handle_(closedHandle)
{}

AppendFile::~AppendFile()
{
    close();
}

bool AppendFile::isOpen() const
{
    return handle_ != closedHandle;
}

QString AppendFile::appendAndFlush(const QByteArray &bytes, const Lead &lead)
{
    if (!lead)
        return writeAll(bytes);
    const TailLook look(path_);
    const QByteArray before = lead(look.tail());
    // Copies a record of megabytes only in the rare case that something must go before it.
    return writeAll(before.isEmpty() ? bytes : before + bytes);
}

#ifdef Q_OS_WIN

QString AppendFile::open()
{
    close();
    // FILE_APPEND_DATA without FILE_WRITE_DATA: the system places every write at the end.
    const std::wstring path = systemPath(path_);
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_SUCCESS;
    tryFor(sharingRetryMilliseconds, [&](bool &again) {
        handle = CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        error = GetLastError();
        again = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        return handle != INVALID_HANDLE_VALUE;
    });
    if (handle == INVALID_HANDLE_VALUE)
        return systemReason(int(error));
    handle_ = qintptr(handle);
    return {};
}

QString AppendFile::writeAll(const QByteArray &bytes)
{
    const auto handle = HANDLE(handle_);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const auto chunk = DWORD(qMin<qsizetype>(bytes.size() - written, 0x40000000));
        DWORD done = 0;
        if (!WriteFile(handle, bytes.constData() + written, chunk, &done, nullptr))
            return lastError();
        if (done == 0)
            return QStringLiteral("the system accepted no more bytes");
        written += done;
    }
    if (!FlushFileBuffers(handle)) {
        const DWORD error = GetLastError();
        if (error != ERROR_INVALID_FUNCTION && error != ERROR_INVALID_HANDLE)
            return systemReason(int(error));
    }
    return {};
}

void AppendFile::close()
{
    if (isOpen())
        CloseHandle(HANDLE(handle_));
    handle_ = closedHandle;
}

#else

QString AppendFile::open()
{
    close();
    const int fd = ::open(QFile::encodeName(path_).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return lastError();
    handle_ = fd;
    return {};
}

QString AppendFile::writeAll(const QByteArray &bytes)
{
    const int fd = int(handle_);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t done =
            ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        if (done == 0)
            return QStringLiteral("the system accepted no more bytes");
        written += done;
    }
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP)
        return lastError();
    return {};
}

void AppendFile::close()
{
    if (isOpen())
        ::close(int(handle_));
    handle_ = closedHandle;
}

#endif

} // namespace platform
