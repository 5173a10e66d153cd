// SPDX-License-Identifier: MIT
#pragma once

#include "report/linebytes.h"

#include <QByteArray>
#include <QString>

class QIODevice;

namespace report {

// The lines of a record file read piece by piece, so that only the line being read is held.
// The drill program writes Windows-1252 with CR LF; mail programs and editors turn that into
// LF-only or CR-only line ends or re-save the file as UTF-8. The first line end decides the
// convention and the first line with a byte above 127 decides the encoding; what was decided
// is kept for the report, and anything that contradicts it later is counted.
class LineSource
{
public:
    enum class LineEnds { None, CrLf, Lf, Cr };
    enum class Encoding { Ascii, Windows1252, Utf8, Utf8WithBom };

    // A line: where its bytes stand in what was read (ask bytes() for them). Its text is made
    // when asked for (text()), since most lines are only looked at for their fixed ASCII parts
    // or joined to others first; a UTF-8 file's lines are decoded at once, so that lines that
    // are not UTF-8 are counted.
    struct Line
    {
        qint64 number = 0;
        qint64 offset = 0; // where it starts among the bytes read (a line left out takes none)
        qsizetype length = 0;
        QString text;
        bool decoded = false;
        qint64 droppedLength = 0; // a line longer than the limit: its length; its bytes are gone
    };

    // No line is held longer than this: memory stays bounded whatever the input.
    static constexpr qsizetype defaultLineLimit = 64 * 1024 * 1024;
    // Bytes asked of the device at a time. What is read never depends on it.
    static constexpr qsizetype defaultReadSize = 256 * 1024;

    explicit LineSource(QIODevice &device, qsizetype lineLimit = defaultLineLimit,
                        qsizetype readSize = defaultReadSize);

    qsizetype lineLimit() const { return lineLimit_; }

    // The next line without its line end, into `line` (whose storage is reused); false at
    // the end of the file.
    bool next(Line &line);

    // The bytes of a line, or of `length` bytes from `offset` on, without copying them: valid
    // until the next line is read (a debug build asserts on a view used later), and for as
    // long after as release() has not let them go.
    LineBytes bytes(const Line &line) const { return bytes(line.offset, line.length); }
    LineBytes bytes(qint64 offset, qsizetype length) const
    {
        Q_ASSERT(offset >= base_ && offset - base_ + length <= buffer_.size());
        return {{buffer_.constData() + (offset - base_), length}, &moves_};
    }
    // Bytes before `offset` will not be asked for again: reading on may let them go.
    void release(qint64 offset) { keepFrom_ = offset; }

    // The text of a line, and of bytes joined from lines, in the file's encoding.
    QString text(const Line &line) const;
    QString decode(QByteArrayView bytes) const;

    LineEnds lineEnds() const { return lineEnds_; }
    Encoding encoding() const { return encoding_; }
    // Lines whose line end differs from the convention, and lines holding a lone CR or LF.
    qint64 foreignLineEnds() const { return foreignLineEnds_; }
    qint64 firstForeignLineEnd() const { return firstForeignLineEnd_; }
    // Lines that end in CR CR LF.
    qint64 doubledCarriageReturns() const { return doubledCarriageReturns_; }
    qint64 firstDoubledCarriageReturn() const { return firstDoubledCarriageReturn_; }
    // Lines of a UTF-8 file that are not UTF-8; they are read as Windows-1252.
    qint64 invalidUtf8Lines() const { return invalidUtf8Lines_; }
    qint64 firstInvalidUtf8Line() const { return firstInvalidUtf8Line_; }
    // The last line had no line end: the file was cut short, or an editor dropped it.
    bool endsInsideLine() const { return endsInsideLine_; }
    bool readFailed() const { return readFailed_; }
    QString readError() const { return readError_; }

private:
    bool fill();
    bool skipLongLine(Line &line);
    qsizetype knownLineLength() const;
    void takeDoubledCarriageReturn(qint64 number, qsizetype &end, qsizetype &endLength);
    qsizetype findLineEnd(qsizetype from, qsizetype *endLength);
    void noteForeign(qint64 number);

    void moving() { ++moves_; }

    QIODevice &device_;
    qsizetype lineLimit_;
    qsizetype readSize_;
    QByteArray buffer_;
    quint64 moves_ = 0;   // bumped whenever buffer_ may move or shift: views made before are stale
    qint64 base_ = 0;     // the offset of buffer_'s first byte
    qint64 keepFrom_ = 0; // no byte from here on is let go
    qsizetype start_ = 0;
    bool atEnd_ = false;
    bool bomChecked_ = false;
    qint64 number_ = 0;
    qsizetype loneLineFeeds_ = 0; // inside the line being found, for CR LF files
    LineEnds lineEnds_ = LineEnds::None;
    Encoding encoding_ = Encoding::Ascii;
    qint64 foreignLineEnds_ = 0;
    qint64 firstForeignLineEnd_ = 0;
    qint64 doubledCarriageReturns_ = 0;
    qint64 firstDoubledCarriageReturn_ = 0;
    qint64 invalidUtf8Lines_ = 0;
    qint64 firstInvalidUtf8Line_ = 0;
    bool endsInsideLine_ = false;
    bool readFailed_ = false;
    QString readError_;
};

} // namespace report
