// SPDX-License-Identifier: MIT
#include "report/lookahead.h"

#include <algorithm>

namespace report {

LookAhead::LookAhead(QIODevice &device, qsizetype lineLimit, qsizetype readSize)
    : source_(device, lineLimit, readSize)
    , lines_(8)
{}

bool LookAhead::readTo(qsizetype i)
{
    while (count_ <= i && !sourceDone_) {
        if (count_ == qsizetype(lines_.size())) {
            std::rotate(lines_.begin(), lines_.begin() + first_, lines_.end());
            first_ = 0;
            lines_.resize(lines_.size() * 2);
        }
        if (!source_.next(lines_[std::size_t((first_ + count_) & mask())])) {
            sourceDone_ = true;
            break;
        }
        ++count_;
    }
    return count_ > i;
}

LineSource::Line LookAhead::take()
{
    Q_ASSERT(count_ > 0);
    // A shared copy: the place keeps its storage for a later line once this one is let go.
    LineSource::Line line = lines_[std::size_t(first_)];
    first_ = (first_ + 1) & mask();
    --count_;
    return line;
}

} // namespace report
