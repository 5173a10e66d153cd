// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <mutex>

class QTemporaryFile;

namespace report {

// Texts kept until a page shows them: in memory up to a limit, beyond it all in a temporary
// file of their own, so that a student who typed hundreds of megabytes costs no more memory
// than the limit. A text is named by its place in the store, never by a pointer into it.
// Texts are added by one thread; once added, they may be read from several at once.
class TextStore
{
public:
    struct Span
    {
        qint64 offset = 0; // bytes of UTF-8
        qint64 size = 0;
    };

    static constexpr qint64 defaultMemoryLimit = 4 * 1024 * 1024;

    explicit TextStore(qint64 memoryLimit = defaultMemoryLimit);
    ~TextStore();
    TextStore(const TextStore &) = delete;
    TextStore &operator=(const TextStore &) = delete;

    Span add(QStringView text);

    // Hands the text of `span` to `piece` in pieces of whole characters; false, with the
    // reason in error(), when the temporary file cannot be read back.
    bool read(Span span, const std::function<void(QStringView)> &piece) const;

    // The whole text of `span`; empty when it cannot be read back.
    QString text(Span span) const;

    // Where the texts are: false while they are all in memory.
    bool spilled() const { return file_ != nullptr; }
    QString error() const;

private:
    void spill();
    void append(QByteArrayView bytes);

    qint64 memoryLimit_;
    qint64 size_ = 0;
    QByteArray memory_;
    std::unique_ptr<QTemporaryFile> file_;
    mutable std::mutex fileMutex_; // readers share the file's position
    mutable QString error_;
};

} // namespace report
