// SPDX-License-Identifier: MIT
#pragma once

#include "report/recordtypes.h"

#include <QList>
#include <QStringList>

namespace report {

class Roster;
struct RunSummary;

// Which roster line each run belongs to: by the id or username the course site gave the
// submission when a line holds it, else by name. Nothing is guessed: a student whom two lines
// fit, and a line that two different students fit, count on no line and are reported.
struct RosterMatch
{
    QList<qsizetype> entryOfRun; // by run: its roster entry, or -1
    QStringList foundAs;         // by entry: the student as their files name them, or empty
    QStringList notOnRoster;     // students found whom no line fits
    QList<Problem> problems;

    static RosterMatch of(const Roster &roster, const QList<RunSummary> &runs);
};

} // namespace report
