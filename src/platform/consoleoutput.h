// SPDX-License-Identifier: MIT
#pragma once

#include <QFile>
#include <QIODevice>
#include <QStringDecoder>

namespace platform {

// The standard output or error of a command-line program, to be written as UTF-8. Where it
// is a Windows console, the text goes to the console as UTF-16 (WriteConsoleW), so that it
// reads right whatever the console's code page; redirected to a file or a pipe, and on every
// other system, the UTF-8 bytes pass unchanged.
class ConsoleOutput : public QIODevice
{
public:
    enum Stream { StandardOutput, StandardError };

    explicit ConsoleOutput(Stream stream);
    ~ConsoleOutput() override;

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    bool writeToConsole(const QString &text);

    QFile file_;
    void *console_ = nullptr; // the console's handle, or null when the stream is none
    QStringDecoder decoder_{QStringDecoder::Utf8}; // keeps a character split between writes
};

} // namespace platform
