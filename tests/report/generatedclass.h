// SPDX-License-Identifier: MIT
#pragma once

#include "bank/assignmentcontent.h"
#include "report/questionindex.h"
#include "walkedrun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

// A small class as an instructor's mail folder holds it: on-time, late, unfinished, redone and
// missing assignments, a student missing from the roster and attachments saved twice ("name
// (1).txt", "name-1.txt"). What each cell of the students × assignments matrix must say is kept
// beside.
struct GeneratedClass
{
    QStringList roster;
    QMap<int, QDate> due;
    QMap<QString, QMap<int, QString>> cells; // student -> assignment -> what the matrix says
    QStringList notOnRoster;
    QList<WalkedRun> counted; // each student's run of each assignment, once
    QStringList resent;       // file names of the copies
};

// Questions with a non-empty response, as the matrix counts them.
inline int answeredIn(const WalkedRun &walk)
{
    QSet<int> answered;
    for (const report::Record &record : walk.expected) {
        if (record.kind == report::RecordKind::Question && !record.response.trimmed().isEmpty())
            answered.insert(record.question);
    }
    return int(answered.size());
}

inline GeneratedClass generateClass(const QString &folder)
{
    struct Plan
    {
        const char *student;
        int assignment;
        int day; // of March 2026
        int steps;
        bool onRoster;
    };
    // Due: assignment 1 on 5 March, 2 on 10 March.
    const Plan plans[] = {
        {"Ann Lee", 1, 3, 5, true}, // unfinished, then done: the best run counts
        {"Ann Lee", 1, 3, -1, true},   {"Ann Lee", 2, 12, -1, true}, // late
        {"Bo Chan", 1, 4, 6, true},                                  // unfinished, 2 missing
        {"Cy Diaz", 1, 3, -1, true},   {"Cy Diaz", 2, 9, -1, true},  // both sent again
        {"Eve Gray", 1, 6, -1, false},                               // late, not on the roster
    };
    GeneratedClass made;
    made.roster = {QStringLiteral("Ann_Lee"), QStringLiteral("bo chan"), QStringLiteral("Cy Diaz"),
                   QStringLiteral("Dee Fox")};
    made.due = {{1, QDate(2026, 3, 5)}, {2, QDate(2026, 3, 10)}};
    made.notOnRoster = {QStringLiteral("Eve Gray")};
    const report::QuestionIndex index(bank::assignmentContent());
    for (const QString &student :
         {QStringLiteral("Ann Lee"), QStringLiteral("Bo Chan"), QStringLiteral("Cy Diaz"),
          QStringLiteral("Dee Fox"), QStringLiteral("Eve Gray")}) {
        for (const int assignment : {1, 2})
            made.cells[student][assignment] = QStringLiteral("missing");
    }
    int offset = 0;
    for (const Plan &plan : plans) {
        const QString student = QString::fromLatin1(plan.student);
        const QDate day(2026, 3, plan.day);
        offset += 3; // other texts, and another start time, so another code line
        const WalkedRun walk = walkAssignment(folder, student, plan.assignment, offset,
                                              QTime(7 + offset / 3, plan.day, offset), 7 + plan.day,
                                              plan.steps, day, plan.steps < 0);
        made.counted.append(walk);
        QStringList says;
        if (day > made.due.value(plan.assignment))
            says.append(QStringLiteral("late"));
        const int questions = index.questionCount(plan.assignment);
        if (answeredIn(walk) < questions)
            says.append(QStringLiteral("unfinished %1 of %2").arg(answeredIn(walk)).arg(questions));
        made.cells[student][plan.assignment] =
            says.isEmpty() ? QStringLiteral("submitted") : says.join(QStringLiteral(", "));
        if (student == u"Cy Diaz") {
            const QString base = QFileInfo(walk.send).completeBaseName();
            const QString copy = base + (plan.assignment == 1 ? QStringLiteral(" (1).txt")
                                                              : QStringLiteral("-1.txt"));
            QFile::copy(walk.send, QDir(folder).filePath(copy));
            made.resent.append(copy);
        }
    }
    return made;
}
