// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

namespace bank {
class LineStore;
}

// Routine lines name something for the program to run at that point of an assignment.
namespace routines {

enum class RoutineResult { Returned, EndsProgram };

// "exitprog" and every name outside the table end the program; graph1..graph3 do nothing.
// The name is lower-cased here and otherwise compared whole.
RoutineResult runRoutine(const QString &routine);

// The name a routine line dispatches: from its tenth character on (the ninth is a separator),
// without blanks and hyphens, in lower case.
QString routineNameOf(QStringView line);

// "next picture": looks at the two entries after the position; a routine line there is run
// and the position moves onto it. The second look starts from where the first left the
// position. Indices beyond the store are no routine lines.
RoutineResult runRoutinesAhead(bank::LineStore &store);

} // namespace routines
