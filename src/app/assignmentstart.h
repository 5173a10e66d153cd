// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace bank {
class LineStore;
}

namespace app::assignmentstart {

// Searches entries 1..5000 for the first whose first four characters are the assignment
// number followed by ".". On success the position is left on that head line and its index
// is returned; otherwise the position is back at 0 and the result is 0.
int findHeadLine(bank::LineStore &store, const QString &assignmentNumber);

// The head lines of the store ("001.  Areas", ...), for telling the student what exists.
QStringList headLines(const bank::LineStore &store);

} // namespace app::assignmentstart
