// SPDX-License-Identifier: MIT
#include "report/classsummary.h"

#include "report/gradebook.h"
#include "report/questionindex.h"
#include "report/roster/rostermatch.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <vector>

namespace report {

namespace {

QDate runDate(const RunSummary &run)
{
    return QDate::fromString(run.date, QStringLiteral("MM-dd-yyyy"));
}

// Complete before unfinished, on time before late, then the most answered.
bool better(const MatrixCell &candidate, const MatrixCell &held)
{
    if (!held.found)
        return true;
    const bool completeCandidate = candidate.answered >= candidate.questions;
    const bool completeHeld = held.answered >= held.questions;
    if (completeCandidate != completeHeld)
        return completeCandidate;
    if (candidate.late != held.late)
        return !candidate.late;
    return candidate.answered > held.answered;
}

QString share(std::optional<double> value, int decimals = 2)
{
    return value ? QString::number(*value, 'f', decimals) : QStringLiteral("-");
}

} // namespace

bool parseDueDate(const QString &text, int *assignment, QDate *due)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,3})=(\\d{4}-\\d\\d-\\d\\d)$"));
    const auto match = form.match(text.trimmed());
    if (!match.hasMatch())
        return false;
    *assignment = match.captured(1).toInt();
    *due = QDate::fromString(match.captured(2), Qt::ISODate);
    return *assignment > 0 && due->isValid();
}

QString MatrixCell::text() const
{
    if (!found)
        return QStringLiteral("missing");
    QStringList says;
    if (late)
        says.append(QStringLiteral("late"));
    if (answered < questions)
        says.append(QStringLiteral("unfinished %1 of %2").arg(answered).arg(questions));
    return says.isEmpty() ? QStringLiteral("submitted") : says.join(QStringLiteral(", "));
}

namespace {

bool byLocale(const QString &a, const QString &b)
{
    return a.localeAwareCompare(b) < 0;
}

// The columns: every assignment with a due date or a run, in order; by assignment, its column.
QHash<int, qsizetype> assignmentColumns(const QList<RunSummary> &runs, const QMap<int, QDate> &due,
                                        ClassMatrix &matrix)
{
    QMap<int, bool> assignments;
    for (auto it = due.constBegin(); it != due.constEnd(); ++it)
        assignments.insert(it.key(), true);
    for (const RunSummary &run : runs) {
        if (run.sameAs < 0 && run.assignment > 0)
            assignments.insert(run.assignment, true);
    }
    matrix.assignments = assignments.keys();
    QHash<int, qsizetype> columns;
    for (qsizetype c = 0; c < matrix.assignments.size(); ++c)
        columns.insert(matrix.assignments[c], c);
    return columns;
}

// Without a roster, the students found, by name; by run, its row.
QList<qsizetype> foundRows(const QList<RunSummary> &runs, ClassMatrix &matrix)
{
    QSet<QString> seen;
    for (const RunSummary &run : runs) {
        const QString key = Roster::key(run.student);
        if (!seen.contains(key)) {
            seen.insert(key);
            matrix.students.append(run.student);
        }
    }
    std::sort(matrix.students.begin(), matrix.students.end(), byLocale);
    matrix.foundAs = matrix.students;
    QHash<QString, qsizetype> rows;
    for (qsizetype r = 0; r < matrix.students.size(); ++r)
        rows.insert(Roster::key(matrix.students[r]), r);
    QList<qsizetype> rowOfRun;
    for (const RunSummary &run : runs)
        rowOfRun.append(rows.value(Roster::key(run.student), -1));
    return rowOfRun;
}

// With a roster, one row for each of its entries; the others found are listed apart.
QList<qsizetype> rosterRows(const QList<RunSummary> &runs, const Roster &roster,
                            ClassMatrix &matrix)
{
    RosterMatch match = RosterMatch::of(roster, runs);
    for (const RosterEntry &entry : roster.entries())
        matrix.students.append(entry.name);
    matrix.foundAs = match.foundAs;
    matrix.notOnRoster = match.notOnRoster;
    std::sort(matrix.notOnRoster.begin(), matrix.notOnRoster.end(), byLocale);
    matrix.problems = match.problems;
    return match.entryOfRun;
}

} // namespace

ClassMatrix ClassMatrix::of(const Gradebook &book, const std::optional<Roster> &roster,
                            const QMap<int, QDate> &due)
{
    return of(book.runs(), roster, due);
}

ClassMatrix ClassMatrix::of(const QList<RunSummary> &runs, const std::optional<Roster> &roster,
                            const QMap<int, QDate> &due)
{
    ClassMatrix matrix;
    const QHash<int, qsizetype> columns = assignmentColumns(runs, due, matrix);
    const QList<qsizetype> rowOfRun =
        roster ? rosterRows(runs, *roster, matrix) : foundRows(runs, matrix);
    matrix.cells.resize(matrix.students.size(), QList<MatrixCell>(matrix.assignments.size()));
    for (qsizetype r = 0; r < runs.size(); ++r) {
        const RunSummary &run = runs[r];
        if (run.sameAs >= 0 || run.assignment <= 0 || rowOfRun[r] < 0)
            continue;
        MatrixCell candidate{true, int(run.answered.size()), run.questions, false};
        if (const auto dueDate = due.constFind(run.assignment); dueDate != due.constEnd())
            candidate.late = runDate(run).isValid() && runDate(run) > *dueDate;
        MatrixCell &held = matrix.cells[rowOfRun[r]][columns.value(run.assignment)];
        if (better(candidate, held))
            held = candidate;
    }
    return matrix;
}

namespace {

struct QuestionSums
{
    int answered = 0;
    int confidence = 0, confidenceCount = 0;
    int selfCritique = 0, selfCritiqueCount = 0, low = 0;
    std::vector<int> seconds;
};

void addRun(const RunSummary &run, std::vector<QuestionSums> &sums)
{
    sums.resize(qMax(sums.size(), std::size_t(run.questions) + 1));
    for (std::size_t q = 1; q < run.marks.size() && q < sums.size(); ++q) {
        const QuestionMark &mark = run.marks[q];
        sums[q].answered += mark.answered ? 1 : 0;
        if (mark.confidence >= 0) {
            sums[q].confidence += mark.confidence;
            ++sums[q].confidenceCount;
        }
        if (mark.selfCritique >= 0) {
            sums[q].selfCritique += mark.selfCritique;
            ++sums[q].selfCritiqueCount;
            sums[q].low += mark.selfCritique <= 1 ? 1 : 0;
        }
    }
    for (auto it = run.secondsPerQuestion.constBegin(); it != run.secondsPerQuestion.constEnd();
         ++it) {
        if (it.key() > 0 && std::size_t(it.key()) < sums.size())
            sums[std::size_t(it.key())].seconds.push_back(it.value());
    }
}

std::optional<double> medianMinutes(std::vector<int> &seconds)
{
    if (seconds.empty())
        return std::nullopt;
    const auto middle = seconds.begin() + std::ptrdiff_t(seconds.size() / 2);
    std::nth_element(seconds.begin(), middle, seconds.end());
    double median = *middle;
    if (seconds.size() % 2 == 0)
        median = (median + *std::max_element(seconds.begin(), middle)) / 2;
    return median / 60.0;
}

} // namespace

QList<QuestionStatistics> questionStatistics(const Gradebook &book, const QuestionIndex &index)
{
    QMap<int, std::vector<QuestionSums>> byAssignment;
    QMap<int, int> runs;
    for (const RunSummary &run : book.runs()) {
        if (!book.counted(run) || run.assignment <= 0 || run.questions <= 0)
            continue;
        addRun(run, byAssignment[run.assignment]);
        ++runs[run.assignment];
    }
    QList<QuestionStatistics> all;
    for (auto it = byAssignment.begin(); it != byAssignment.end(); ++it) {
        for (std::size_t q = 1; q < it->size(); ++q) {
            QuestionSums &sums = (*it)[q];
            QuestionStatistics &question = all.emplace_back();
            question.assignment = it.key();
            question.question = int(q);
            question.prompt = index.prompt(it.key(), int(q));
            question.runs = runs.value(it.key());
            question.answered = sums.answered;
            if (sums.confidenceCount > 0)
                question.meanConfidence = double(sums.confidence) / sums.confidenceCount;
            if (sums.selfCritiqueCount > 0) {
                question.meanSelfCritique = double(sums.selfCritique) / sums.selfCritiqueCount;
                question.lowSelfCritique = double(sums.low) / sums.selfCritiqueCount;
            }
            question.medianMinutes = medianMinutes(sums.seconds);
        }
    }
    return all;
}

namespace classsummary {

QStringList matrixHeaders(const ClassMatrix &matrix)
{
    QStringList headers{QStringLiteral("student")};
    for (const int assignment : matrix.assignments)
        headers.append(QStringLiteral("%1").arg(assignment, 3, 10, QChar(u'0')));
    return headers;
}

QList<QStringList> matrixRows(const ClassMatrix &matrix)
{
    QList<QStringList> rows;
    for (qsizetype s = 0; s < matrix.students.size(); ++s) {
        QStringList row{matrix.students[s]};
        for (const MatrixCell &cell : matrix.cells[s])
            row.append(cell.text());
        rows.append(row);
    }
    return rows;
}

QStringList statisticsHeaders()
{
    return {QStringLiteral("assignment"),         QStringLiteral("question"),
            QStringLiteral("answered"),           QStringLiteral("mean confidence"),
            QStringLiteral("mean self-critique"), QStringLiteral("self-critique 0-1"),
            QStringLiteral("median minutes")};
}

QStringList statisticsRow(const QuestionStatistics &statistics)
{
    return {QStringLiteral("%1").arg(statistics.assignment, 3, 10, QChar(u'0')),
            QString::number(statistics.question),
            QStringLiteral("%1 of %2").arg(statistics.answered).arg(statistics.runs),
            share(statistics.meanConfidence),
            share(statistics.meanSelfCritique),
            statistics.lowSelfCritique
                ? QStringLiteral("%1 %").arg(qRound(*statistics.lowSelfCritique * 100))
                : QStringLiteral("-"),
            share(statistics.medianMinutes, 1)};
}

QString noticeKind(const QString &text)
{
    static const QRegularExpression quoted(QStringLiteral("\"[^\"]*\""));
    return QString(text).replace(quoted, QStringLiteral("\"…\""));
}

QString unlistedText(const UnlistedProblems &unlisted)
{
    const QString what =
        unlisted.first.notice ? QStringLiteral("note(s)") : QStringLiteral("problem(s)");
    const QString where = unlisted.first.line > 0
                              ? QStringLiteral(", the first at line %1").arg(unlisted.first.line)
                              : QString();
    return QStringLiteral("%1 more %2 of this kind, not listed%3: %4")
        .arg(QString::number(unlisted.count), what, where, unlisted.first.text);
}

} // namespace classsummary

} // namespace report
