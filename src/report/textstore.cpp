// SPDX-License-Identifier: MIT
#include "report/textstore.h"

#include <QDir>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <limits>

namespace report {

namespace {

// Characters encoded, or bytes read and decoded, at a time: a text of many megabytes is never
// copied whole.
constexpr qsizetype pieceSize = 256 * 1024;

} // namespace

TextStore::TextStore(qint64 memoryLimit)
    : memoryLimit_(memoryLimit)
{}

TextStore::~TextStore() = default;

TextStore::Span TextStore::add(QStringView text)
{
    const qint64 offset = size_;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype length = qMin(pieceSize, text.size() - at);
        if (at + length < text.size() && text[at + length - 1].isHighSurrogate())
            --length; // a surrogate pair stays in one piece
        append(text.sliced(at, length).toUtf8());
        at += length;
    }
    return {offset, size_ - offset};
}

void TextStore::append(QByteArrayView bytes)
{
    if (!file_ && memory_.size() + bytes.size() > memoryLimit_)
        spill();
    if (file_) {
        // Reading back moves the file's position.
        const std::lock_guard lock(fileMutex_);
        if ((!file_->seek(size_) || file_->write(bytes.data(), bytes.size()) != bytes.size()) &&
            error_.isEmpty())
            error_ = file_->errorString();
    } else {
        memory_.append(bytes);
    }
    size_ += bytes.size();
}

// From here on every text goes to the file. Without a temporary file the texts stay in
// memory: a page that costs memory is better than no page.
void TextStore::spill()
{
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                 QStringLiteral("/bexlorin-report-XXXXXX"));
    if (!file->open() || file->write(memory_) != memory_.size()) {
        memoryLimit_ = std::numeric_limits<qint64>::max();
        return;
    }
    file_ = std::move(file);
    memory_ = QByteArray();
}

bool TextStore::read(Span span, const std::function<void(QStringView)> &piece) const
{
    QStringDecoder decoder(QStringDecoder::Utf8); // keeps a character cut between pieces
    if (!file_) {
        const QByteArrayView bytes = QByteArrayView(memory_).sliced(span.offset, span.size);
        for (qsizetype at = 0; at < bytes.size(); at += pieceSize)
            piece(QString(decoder.decode(bytes.sliced(at, qMin(pieceSize, bytes.size() - at)))));
        return true;
    }
    for (qint64 done = 0; done < span.size;) {
        QByteArray bytes;
        {
            const std::lock_guard lock(fileMutex_);
            if (!error_.isEmpty())
                return false;
            if (file_->seek(span.offset + done))
                bytes = file_->read(qMin<qint64>(pieceSize, span.size - done));
            if (bytes.isEmpty()) {
                error_ = file_->errorString();
                return false;
            }
        }
        piece(QString(decoder.decode(bytes)));
        done += bytes.size();
    }
    return true;
}

QString TextStore::error() const
{
    const std::lock_guard lock(fileMutex_);
    return error_;
}

QString TextStore::text(Span span) const
{
    QString whole;
    return read(span, [&](QStringView piece) { whole += piece; }) ? whole : QString();
}

} // namespace report
