// SPDX-License-Identifier: MIT
#include "report/linesource.h"

#include "records/codepage.h"

#include <QIODevice>
#include <QStringDecoder>

#include <cstring>

namespace report {

namespace {

const QByteArray bom("\xEF\xBB\xBF");

// Eight bytes at a time: most lines of a record file are plain ASCII.
bool hasHighByte(QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, 8);
        if (word & 0x8080808080808080ull)
            return true;
    }
    for (; i < bytes.size(); ++i) {
        if (uchar(data[i]) >= 0x80)
            return true;
    }
    return false;
}

// Windows-1252 is Latin-1 but for 0x80..0x9F: convert at Latin-1's speed, then mend those.
// Into `text`, reusing its storage: a line costs no allocation of its own once the reader
// has let go of the line that had the same place before.
void windows1252(QByteArrayView bytes, QString &text)
{
    text.truncate(0);
    text.append(QLatin1String(bytes.data(), bytes.size()));
    if (!hasHighByte(bytes))
        return;
    const char *data = bytes.data();
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar byte = uchar(data[i]);
        if (byte >= 0x80 && byte <= 0x9F)
            out[i] = records::codepage::characterOf(byte);
    }
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

LineSource::LineSource(QIODevice &device, qsizetype lineLimit, qsizetype readSize)
    : device_(device)
    , lineLimit_(lineLimit)
    , readSize_(qMax<qsizetype>(1, readSize))
{}

bool LineSource::fill()
{
    if (atEnd_)
        return false;
    moving();
    // Bytes of lines still held (up to keepFrom_) stay where they are.
    if (const qsizetype done = qsizetype(qBound<qint64>(0, keepFrom_ - base_, start_)); done > 0) {
        buffer_.remove(0, done);
        base_ += done;
        start_ -= done;
    }
    const qsizetype had = buffer_.size();
    if (buffer_.capacity() < had + readSize_)
        buffer_.reserve(qMax(had + readSize_, 2 * buffer_.capacity()));
    buffer_.resize(had + readSize_);
    const qint64 got = device_.read(buffer_.data() + had, readSize_);
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
    const auto find = [&](qsizetype at, char c) -> qsizetype {
        if (at >= size)
            return -1;
        const void *found = std::memchr(data + at, c, std::size_t(size - at));
        return found ? static_cast<const char *>(found) - data : -1;
    };
    switch (lineEnds_) {
    case LineEnds::None:
        for (qsizetype i = from; i < size; ++i) {
            const char c = data[i];
            if (c != '\r' && c != '\n')
                continue;
            if (c == '\r' && i + 1 == size && !atEnd_)
                return -1; // a CR LF may be split between two reads
            const bool crlf = c == '\r' && i + 1 < size && data[i + 1] == '\n';
            lineEnds_ = crlf ? LineEnds::CrLf : c == '\r' ? LineEnds::Cr : LineEnds::Lf;
            *endLength = crlf ? 2 : 1;
            return i;
        }
        return -1;
    case LineEnds::CrLf:
        // A lone CR or LF stays inside the line; counted when the line is taken.
        for (qsizetype i = find(from, '\n'); i >= 0; i = find(i + 1, '\n')) {
            if (i > 0 && data[i - 1] == '\r' && i - 1 >= from) {
                *endLength = 2;
                return i - 1;
            }
            ++loneLineFeeds_;
        }
        return -1;
    case LineEnds::Lf:
        if (const qsizetype i = find(from, '\n'); i >= 0) {
            const bool crlf = i > from && data[i - 1] == '\r';
            if (crlf)
                noteForeign(number_ + 1);
            *endLength = crlf ? 2 : 1;
            return crlf ? i - 1 : i;
        }
        return -1;
    case LineEnds::Cr:
        if (const qsizetype i = find(from, '\r'); i >= 0) {
            if (i + 1 == size && !atEnd_)
                return -1;
            const bool crlf = i + 1 < size && data[i + 1] == '\n';
            if (crlf)
                noteForeign(number_ + 1);
            *endLength = crlf ? 2 : 1;
            return i;
        }
        return -1;
    }
    return -1;
}

void LineSource::noteForeign(qint64 number)
{
    if (foreignLineEnds_++ == 0)
        firstForeignLineEnd_ = number;
}

QString LineSource::text(const Line &line) const
{
    if (line.decoded)
        return line.text;
    QString text;
    windows1252(bytes(line).view(), text);
    return text;
}

QString LineSource::decode(QByteArrayView bytes) const
{
    if (encoding_ == Encoding::Utf8 || encoding_ == Encoding::Utf8WithBom) {
        if (std::optional<QString> text = utf8(bytes))
            return *text;
    }
    QString text;
    windows1252(bytes, text);
    return text;
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
        if (knownLineLength() > lineLimit_)
            return skipLongLine(line);
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
    line.droppedLength = 0;
    takeDoubledCarriageReturn(line.number, end, endLength);
    line.offset = base_ + start_;
    if (end - start_ > lineLimit_) {
        line.length = 0;
        line.decoded = false;
        line.droppedLength = end - start_;
        start_ = end + endLength;
        loneLineFeeds_ = 0;
        return true;
    }
    const QByteArrayView bytes(buffer_.constData() + start_, end - start_);
    if (lineEnds_ == LineEnds::CrLf &&
        (loneLineFeeds_ > 0 || std::memchr(bytes.data(), '\r', std::size_t(bytes.size()))))
        noteForeign(line.number);
    loneLineFeeds_ = 0;
    line.length = bytes.size();
    line.decoded = false;
    if (encoding_ == Encoding::Ascii && hasHighByte(bytes))
        encoding_ = utf8(bytes) ? Encoding::Utf8 : Encoding::Windows1252;
    if (encoding_ == Encoding::Utf8 || encoding_ == Encoding::Utf8WithBom) {
        line.decoded = true;
        if (std::optional<QString> text = utf8(bytes)) {
            line.text = std::move(*text);
        } else {
            if (invalidUtf8Lines_++ == 0)
                firstInvalidUtf8Line_ = line.number;
            windows1252(bytes, line.text);
        }
    }
    start_ = end + endLength;
    return true;
}

// How long the line being found is at least: its bytes so far but for up to two CRs at their
// end, which may yet turn out to be its line end (CR LF, or CR CR LF, split between reads).
// A line is judged too long on this alone, so that the judgement never depends on read sizes.
qsizetype LineSource::knownLineLength() const
{
    qsizetype length = buffer_.size() - start_;
    for (int i = 0; i < 2 && length > 0 && buffer_.at(start_ + length - 1) == '\r'; ++i)
        --length;
    return length;
}

// CR CR LF: a write cut short between CR and LF, closed by the next record's CR LF (or a
// transfer that doubled the CR). The extra CR belongs to the line end, not to the text.
void LineSource::takeDoubledCarriageReturn(qint64 number, qsizetype &end, qsizetype &endLength)
{
    if (lineEnds_ != LineEnds::CrLf || endLength != 2 || end <= start_ ||
        buffer_.at(end - 1) != '\r')
        return;
    --end;
    ++endLength;
    if (doubledCarriageReturns_++ == 0)
        firstDoubledCarriageReturn_ = number;
}

// A line longer than the limit: its bytes are counted and let go as they come, up to its line
// end, so that it costs no more memory than one read.
bool LineSource::skipLongLine(Line &line)
{
    qint64 length = 0;
    qsizetype endLength = 0;
    qsizetype end = -1;
    while (end < 0) {
        // What was read of it goes, even before lines still held; the last two bytes stay: they
        // may be the CR (CR) of a line end split between two reads.
        if (const qsizetype read = buffer_.size() - 2 - start_; read > 0) {
            length += read;
            moving();
            buffer_.remove(start_, read);
        }
        if (!fill())
            break;
        end = findLineEnd(start_, &endLength);
    }
    line.number = ++number_;
    if (end < 0) {
        end = buffer_.size();
        endLength = 0;
        endsInsideLine_ = true;
    } else {
        takeDoubledCarriageReturn(line.number, end, endLength);
    }
    length += end - start_;
    line.offset = base_ + start_;
    start_ = end + endLength;
    loneLineFeeds_ = 0;
    line.length = 0;
    line.decoded = false;
    line.droppedLength = length;
    return true;
}

} // namespace report
