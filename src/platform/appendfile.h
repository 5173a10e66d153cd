// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace platform {

// The system's text for an error code (errno, or GetLastError() on Windows), as a clause to
// go on with: without the full stop some systems end it with.
QString systemReason(int code);

// A file opened only for appending, the one way the program ever writes a record file. Every
// write lands at the end of the file as it is at that moment, even when another program (a
// second copy of Bexlorin, an editor) appends to it too: O_APPEND on POSIX, FILE_APPEND_DATA
// on Windows, where the file stays open to others for reading and writing. Nothing here can
// move the file position, shorten the file or change a byte already in it.
class AppendFile
{
public:
    explicit AppendFile(QString path);
    ~AppendFile();
    AppendFile(const AppendFile &) = delete;
    AppendFile &operator=(const AppendFile &) = delete;

    // Opens the file for appending; a missing file is created empty. A file that another
    // program holds without sharing (a virus scanner, a sync client) is tried again for about
    // a second before its sharing violation is reported. Empty on success, otherwise the
    // system's reason.
    QString open();

    // Gives the text to write before a record, from the file's last two bytes (fewer when
    // the file is shorter; null when the file cannot be read or is not an ordinary file).
    using Lead = std::function<QByteArray(const QByteArray &tail)>;

    // Appends `lead(tail)` followed by `bytes` with one write call (the system may need more
    // than one only if it accepts part of a very large write), then flushes the file to
    // stable storage (fsync, FlushFileBuffers) before returning. The tail is read through a
    // read-only open of its own, which also holds an advisory lock on the file for the
    // duration, so that another copy of the program appending at the same moment can
    // neither be seen half-written nor come between the look and the write. The lock is
    // waited for a bounded time (a stale lock on a network share must not freeze the
    // program); where it cannot be had by then, or the system offers none, the append goes
    // ahead without it. Empty on success,
    // otherwise the reason. Devices that cannot be flushed (character devices, pipes) count
    // as flushed.
    QString appendAndFlush(const QByteArray &bytes, const Lead &lead = {});

    void close();
    bool isOpen() const;
    const QString &path() const { return path_; }

    // How long the tail lock is waited for, and how long a sharing violation is retried.
    static constexpr int lockWaitMilliseconds = 2000;
    static constexpr int sharingRetryMilliseconds = 1000;

private:
    QString writeAll(const QByteArray &bytes);

    QString path_;
    qintptr handle_;
};

} // namespace platform
