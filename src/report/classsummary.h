// SPDX-License-Identifier: MIT
#pragma once

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
struct UnlistedProblems;

// The students a class should have: a plain text list, one name a line, or a CSV file whose
// "name" or "student" column (else its first) holds them. Names as in the file names
// (Kim_O_Doe) or written out (Kim O Doe): blanks, underscores and case do not matter.
struct Roster
{
    QStringList names;

    static std::optional<Roster> read(const QString &path, QString *error);
    static QString key(QStringView name);
};

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

// Students against assignments, from the roster when there is one (else the students found).
struct ClassMatrix
{
    QList<int> assignments;
    QStringList students;
    QList<QList<MatrixCell>> cells; // [student][assignment]
    QStringList notOnRoster;        // found in files, missing from the roster

    static ClassMatrix of(const Gradebook &book, const std::optional<Roster> &roster,
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
