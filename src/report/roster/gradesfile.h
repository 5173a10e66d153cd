// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace report {

class QuestionIndex;
class Roster;
struct ClassMatrix;

// The roster written back for the course site's import: every row and column of the file as
// it came, in its encoding, delimiter, quoting, line ends and order, then one column per
// assignment of the matrix holding the questions answered in each student's best run, and
// the assignment's question count on a gradebook's "Points Possible" row. A column the file
// already has for an assignment ("Bexlorin 001", or as a site exports it again, "Bexlorin 001
// (5021)") is filled instead of added. Only the roster's own bytes, these titles and numbers
// are written: nothing typed by a student reaches the file, so a spreadsheet opening it finds
// no formula that a student could have put there.
class GradesFile
{
public:
    static QString columnTitle(int assignment);
    // The assignment of a column titled so, or 0.
    static int assignmentOf(const QString &title);

    static QByteArray of(const Roster &roster, const ClassMatrix &matrix,
                         const QuestionIndex &index);
};

} // namespace report
