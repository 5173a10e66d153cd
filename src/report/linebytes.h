// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace report {

// A view of bytes that a reader may move (its buffer grows, shifts or lets bytes go), together
// with what tells whether it still stands: the count of the buffer's moves when the view was
// made. A debug build asserts when a view is used after its buffer has moved, so that keeping
// a view across a call that reads on fails at once instead of reading freed or shifted bytes.
class LineBytes
{
public:
    LineBytes() = default;
    LineBytes(QByteArrayView bytes, const quint64 *moves)
        : bytes_(bytes)
        , moves_(moves)
        , madeAt_(moves ? *moves : 0)
    {}

    QByteArrayView view() const
    {
        Q_ASSERT_X(!moves_ || *moves_ == madeAt_, "LineBytes",
                   "a view of a line used after its buffer moved");
        return bytes_;
    }
    qsizetype size() const { return view().size(); }
    bool isEmpty() const { return view().isEmpty(); }
    bool startsWith(QByteArrayView prefix) const { return view().startsWith(prefix); }
    LineBytes sliced(qsizetype from) const
    {
        LineBytes part = *this;
        part.bytes_ = view().sliced(from);
        return part;
    }
    friend bool operator==(const LineBytes &line, QByteArrayView bytes)
    {
        return line.view() == bytes;
    }

private:
    QByteArrayView bytes_;
    const quint64 *moves_ = nullptr;
    quint64 madeAt_ = 0;
};

} // namespace report
