// SPDX-License-Identifier: MIT
#pragma once

#include "report/linebytes.h"
#include "report/linesource.h"

#include <vector>

class QIODevice;

namespace report {

// The lines ahead of the reader's place, named by their index from it: 0 is the next line to be
// taken. A line is never handed out by pointer or reference, since reading on may grow the ring
// that holds them and move the bytes they stand on: a caller holds an index and asks for the
// bytes where it uses them. Bytes asked for before a read are stale after it (LineBytes).
class LookAhead
{
public:
    LookAhead(QIODevice &device, qsizetype lineLimit, qsizetype readSize);

    // Whether line `i` exists, reading on to it when it has not been read yet.
    bool has(qsizetype i) { return count_ > i || readTo(i); }

    // These never read: line `i` must have been reached by has(i) first.
    LineBytes bytes(qsizetype i) const { return source_.bytes(at(i)); }
    qint64 number(qsizetype i) const { return at(i).number; }
    qsizetype length(qsizetype i) const { return at(i).length; }
    QString text(qsizetype i) const { return source_.text(at(i)); }

    // Takes line 0 (which must exist). Its bytes stay readable through source() until the next
    // read, and later as long as release() has not let them go.
    LineSource::Line take();
    // Bytes of the file before `offset` will not be asked for again.
    void release(qint64 offset) { source_.release(offset); }

    const LineSource &source() const { return source_; }

private:
    const LineSource::Line &at(qsizetype i) const
    {
        Q_ASSERT(i >= 0 && i < count_);
        return lines_[std::size_t((first_ + i) & mask())];
    }
    qsizetype mask() const { return qsizetype(lines_.size()) - 1; }
    bool readTo(qsizetype i);

    LineSource source_;
    // A ring whose size is a power of two; it grows when a look goes further than it holds, so
    // that a line costs no allocation of its own.
    std::vector<LineSource::Line> lines_;
    qsizetype first_ = 0;
    qsizetype count_ = 0;
    bool sourceDone_ = false;
};

} // namespace report
