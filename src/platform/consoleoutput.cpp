// SPDX-License-Identifier: MIT
#include "platform/consoleoutput.h"

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

ConsoleOutput::ConsoleOutput(Stream stream)
{
    FILE *const handle = stream == StandardOutput ? stdout : stderr;
    file_.open(handle, QIODevice::WriteOnly | QIODevice::Unbuffered);
#ifdef Q_OS_WIN
    const HANDLE output =
        GetStdHandle(stream == StandardOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (output != INVALID_HANDLE_VALUE && output != nullptr && GetConsoleMode(output, &mode))
        console_ = output;
#endif
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

ConsoleOutput::~ConsoleOutput()
{
    close();
}

qint64 ConsoleOutput::readData(char *, qint64)
{
    return -1;
}

qint64 ConsoleOutput::writeData(const char *data, qint64 size)
{
    if (console_ == nullptr) {
        const qint64 written = file_.write(data, size);
        return written;
    }
    return writeToConsole(decoder_.decode(QByteArrayView(data, size))) ? size : -1;
}

bool ConsoleOutput::writeToConsole(const QString &text)
{
#ifdef Q_OS_WIN
    const auto *units = reinterpret_cast<const wchar_t *>(text.utf16());
    qsizetype done = 0;
    while (done < text.size()) {
        // Consoles take a limited amount per call.
        const auto chunk = DWORD(qMin<qsizetype>(text.size() - done, 8192));
        DWORD written = 0;
        if (!WriteConsoleW(HANDLE(console_), units + done, chunk, &written, nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
#else
    Q_UNUSED(text);
    return false;
#endif
}

} // namespace platform
