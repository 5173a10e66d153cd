// SPDX-License-Identifier: MIT
#include "report/linesource.h"

#include "records/codepage.h"

#include <QIODevice>
#include <QStringDecoder>

namespace report {

namespace {

constexpr qint64 chunkSize = 64 * 1024;
const QByteArray bom("\xEF\xBB\xBF");

bool hasHighByte(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (uchar(c) >= 0x80)
            return true;
    }
    return false;
}

std::optional<QString> utf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

LineSource::LineSource(QIODevice &device)
    : device_(device)
{}

bool LineSource::fill()
{
    if (atEnd_)
        return false;
    if (start_ > 0) {
        buffer_.remove(0, start_);
        start_ = 0;
    }
    const qsizetype had = buffer_.size();
    buffer_.resize(had + chunkSize);
    const qint64 got = device_.read(buffer_.data() + had, chunkSize);
    if (got < 0) {
        readFailed_ = true;
        readError_ = device_.errorString();
    }
    buffer_.resize(had + qMax<qint64>(got, 0));
    if (got <= 0)
        atEnd_ = true;
    return got > 0;
}

// Where the next line ends in the buffer, from `from` on; -1 when more bytes are needed to
// tell. Decides the convention at the first line end of the file.
qsizetype LineSource::findLineEnd(qsizetype from, qsizetype *endLength)
{
    const char *data = buffer_.constData();
    const qsizetype size = buffer_.size();
    for (qsizetype i = from; i < size; ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n')
            continue;
        const bool crlf = c == '\r' && i + 1 < size && data[i + 1] == '\n';
        if (c == '\r' && i + 1 == size && !atEnd_)
            return -1; // a CR LF may be split between two reads
        switch (lineEnds_) {
        case LineEnds::None:
            lineEnds_ = crlf ? LineEnds::CrLf : c == '\r' ? LineEnds::Cr : LineEnds::Lf;
            *endLength = crlf ? 2 : 1;
            return i;
        case LineEnds::CrLf:
            if (crlf) {
                *endLength = 2;
                return i;
            }
            continue; // a lone CR or LF stays inside the line; counted when the line is taken
        case LineEnds::Lf:
            if (c == '\n') {
                *endLength = 1;
                return i;
            }
            if (crlf) {
                *endLength = 2;
                noteForeign(number_ + 1);
                return i;
            }
            continue;
        case LineEnds::Cr:
            if (c == '\r') {
                *endLength = crlf ? 2 : 1;
                if (crlf)
                    noteForeign(number_ + 1);
                return i;
            }
            continue;
        }
    }
    return -1;
}

void LineSource::noteForeign(qint64 number)
{
    if (foreignLineEnds_++ == 0)
        firstForeignLineEnd_ = number;
}

QString LineSource::decode(QByteArrayView bytes, qint64 number)
{
    if (encoding_ == Encoding::Ascii && hasHighByte(bytes)) {
        const std::optional<QString> text = utf8(bytes);
        encoding_ = text ? Encoding::Utf8 : Encoding::Windows1252;
        if (text)
            return *text;
    }
    if (encoding_ == Encoding::Utf8 || encoding_ == Encoding::Utf8WithBom) {
        if (const std::optional<QString> text = utf8(bytes))
            return *text;
        if (invalidUtf8Lines_++ == 0)
            firstInvalidUtf8Line_ = number;
    }
    return records::codepage::decode(bytes);
}

bool LineSource::next(Line &line)
{
    if (!bomChecked_) {
        while (buffer_.size() < bom.size() && fill()) {
        }
        bomChecked_ = true;
        if (buffer_.startsWith(bom)) {
            encoding_ = Encoding::Utf8WithBom;
            start_ = bom.size();
        }
    }
    qsizetype scanned = start_;
    qsizetype end = -1;
    qsizetype endLength = 0;
    for (;;) {
        end = findLineEnd(scanned, &endLength);
        if (end >= 0)
            break;
        // Rescan from just before the end of what was there: a CR may have been the last byte.
        scanned = qMax(start_, buffer_.size() - 1);
        const qsizetype offset = start_;
        if (!fill() && atEnd_) {
            end = findLineEnd(scanned - offset + start_, &endLength);
            break;
        }
        scanned = scanned - offset + start_;
    }
    if (end < 0) {
        if (start_ >= buffer_.size())
            return false;
        endsInsideLine_ = true;
        end = buffer_.size();
        endLength = 0;
    }
    line.number = ++number_;
    const QByteArrayView bytes(buffer_.constData() + start_, end - start_);
    if (lineEnds_ == LineEnds::CrLf && (bytes.contains('\r') || bytes.contains('\n')))
        noteForeign(line.number);
    line.text = decode(bytes, line.number);
    start_ = end + endLength;
    return true;
}

} // namespace report
