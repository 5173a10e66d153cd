// SPDX-License-Identifier: MIT
#include "routines/routinedispatcher.h"

#include "bank/linestore.h"
#include "bank/markup.h"
#include "records/linecoding.h"

namespace routines {

RoutineResult runRoutine(const QString &routine)
{
    const QString name = routine.toLower();
    if (name == u"graph1" || name == u"graph2" || name == u"graph3")
        return RoutineResult::Returned;
    // "exitprog" ends the program, and so does any name the table does not know.
    return RoutineResult::EndsProgram;
}

QString routineNameOf(QStringView line)
{
    return records::remSpaces(line.mid(9).toString()).toLower();
}

RoutineResult runRoutinesAhead(bank::LineStore &store)
{
    for (int step = 1; step <= 2; ++step) {
        const int index = store.bankLineCount + step;
        if (!bank::LineStore::contains(index))
            continue;
        const QString &line = store.entry(index);
        if (!bank::markup::isRoutine(line))
            continue;
        if (runRoutine(routineNameOf(line)) == RoutineResult::EndsProgram)
            return RoutineResult::EndsProgram;
        store.bankLineCount += step;
    }
    return RoutineResult::Returned;
}

} // namespace routines
