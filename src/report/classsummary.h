// SPDX-License-Identifier: MIT
#pragma once

#include "report/recordtypes.h"
#include "report/roster/roster.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace report {

class Gradebook;
class QuestionIndex;
struct RunSummary;
struct UnlistedProblems;

// "ASSIGNMENT=YYYY-MM-DD", the assignment by its number (1 or 001).
bool parseDueDate(const QString &text, int *assignment, QDate *due);

// What one student did of one assignment: the best of their runs of it, counted once.
struct MatrixCell
{
    bool found = false;
    int answered = 0;
    int questions = 0;
    bool late = false;

    QString text() const; // "missing", "submitted", "unfinished 5 of 13", "late", ...
};

// Students against assignments, from the roster when there is one (a row for each of its
// entries, in order), else the students found.
struct ClassMatrix
{
    QList<int> assignments;
    QStringList students;
    QList<QList<MatrixCell>> cells; // [student][assignment]
    QStringList foundAs;            // [student]: the name the files carry; empty for none
    QStringList notOnRoster;        // found in files, missing from the roster
    QList<Problem> problems;        // students the roster's lines cannot tell apart

    static ClassMatrix of(const Gradebook &book, const std::optional<Roster> &roster,
                          const QMap<int, QDate> &due);
    static ClassMatrix of(const QList<RunSummary> &runs, const std::optional<Roster> &roster,
                          const QMap<int, QDate> &due);
};

// One question of one assignment over the class's runs of that assignment.
struct QuestionStatistics
{
    int assignment = 0;
    int question = 0;
    QString prompt;
    int runs = 0;     // runs of the assignment, each counted once
    int answered = 0; // runs with a non-empty response at the question
    std::optional<double> meanConfidence;
    std::optional<double> meanSelfCritique;
    std::optional<double> lowSelfCritique; // share of self-critique ratings 0 or 1
    std::optional<double> medianMinutes;
};

// By assignment, then question.
QList<QuestionStatistics> questionStatistics(const Gradebook &book, const QuestionIndex &index);

namespace classsummary {
QStringList matrixHeaders(const ClassMatrix &matrix);
QList<QStringList> matrixRows(const ClassMatrix &matrix);
QStringList statisticsHeaders();
QStringList statisticsRow(const QuestionStatistics &statistics);
// What a notice says without what it quotes: notices of one kind in one file count together.
QString noticeKind(const QString &text);
// What is said in place of the problems of a kind not held, after the file's name.
QString unlistedText(const UnlistedProblems &unlisted);
} // namespace classsummary

} // namespace report
