// SPDX-License-Identifier: MIT
#include "report/classsummary.h"

#include "report/gradebook.h"
#include "report/questionindex.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <vector>

namespace report {

namespace {

// The fields of one CSV line; a roster needs no quoted line breaks.
QStringList csvFields(const QString &line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'"' && quoted && i + 1 < line.size() && line[i + 1] == u'"') {
            field += c;
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (c == u',' && !quoted) {
            fields.append(field.trimmed());
            field.clear();
        } else {
            field += c;
        }
    }
    fields.append(field.trimmed());
    return fields;
}

qsizetype nameColumn(const QStringList &header)
{
    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString title = header[i].toLower();
        if (title == u"name" || title == u"student" || title == u"student name")
            return i;
    }
    return -1;
}

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

std::optional<Roster> Roster::read(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    Roster roster;
    qsizetype column = 0;
    bool first = true;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = csvFields(line);
        if (first && fields.size() > 1) {
            first = false;
            if (const qsizetype named = nameColumn(fields); named >= 0) {
                column = named;
                continue;
            }
        }
        first = false;
        const QString name = fields.value(column).replace(u'_', u' ').simplified();
        if (!name.isEmpty())
            roster.names.append(name);
    }
    return roster;
}

QString Roster::key(QStringView name)
{
    return name.toString().replace(u'_', u' ').simplified().toCaseFolded();
}

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
QHash<int, qsizetype> assignmentColumns(const Gradebook &book, const QMap<int, QDate> &due,
                                        ClassMatrix &matrix)
{
    QMap<int, bool> assignments;
    for (auto it = due.constBegin(); it != due.constEnd(); ++it)
        assignments.insert(it.key(), true);
    for (const RunSummary &run : book.runs()) {
        if (book.counted(run) && run.assignment > 0)
            assignments.insert(run.assignment, true);
    }
    matrix.assignments = assignments.keys();
    QHash<int, qsizetype> columns;
    for (qsizetype c = 0; c < matrix.assignments.size(); ++c)
        columns.insert(matrix.assignments[c], c);
    return columns;
}

// The rows: the roster's names (the others found listed apart), else the students found; by
// a name's key, its row.
QHash<QString, qsizetype> studentRows(const Gradebook &book, const std::optional<Roster> &roster,
                                      ClassMatrix &matrix)
{
    QSet<QString> seen;
    QStringList found;
    for (const RunSummary &run : book.runs()) {
        const QString key = Roster::key(run.student);
        if (!seen.contains(key)) {
            seen.insert(key);
            found.append(run.student);
        }
    }
    QHash<QString, qsizetype> rows;
    const QStringList &names = roster ? roster->names : found;
    for (const QString &name : names) {
        if (const QString key = Roster::key(name); !rows.contains(key)) {
            rows.insert(key, matrix.students.size());
            matrix.students.append(name);
        }
    }
    if (!roster) {
        std::sort(matrix.students.begin(), matrix.students.end(), byLocale);
        for (qsizetype r = 0; r < matrix.students.size(); ++r)
            rows.insert(Roster::key(matrix.students[r]), r);
        return rows;
    }
    for (const QString &student : std::as_const(found)) {
        if (!rows.contains(Roster::key(student)))
            matrix.notOnRoster.append(student);
    }
    std::sort(matrix.notOnRoster.begin(), matrix.notOnRoster.end(), byLocale);
    return rows;
}

} // namespace

ClassMatrix ClassMatrix::of(const Gradebook &book, const std::optional<Roster> &roster,
                            const QMap<int, QDate> &due)
{
    ClassMatrix matrix;
    const QHash<int, qsizetype> columns = assignmentColumns(book, due, matrix);
    const QHash<QString, qsizetype> rows = studentRows(book, roster, matrix);
    matrix.cells.resize(matrix.students.size(), QList<MatrixCell>(matrix.assignments.size()));
    for (const RunSummary &run : book.runs()) {
        const auto row = rows.constFind(Roster::key(run.student));
        if (!book.counted(run) || run.assignment <= 0 || row == rows.constEnd())
            continue;
        MatrixCell candidate{true, int(run.answered.size()), run.questions, false};
        if (const auto dueDate = due.constFind(run.assignment); dueDate != due.constEnd())
            candidate.late = runDate(run).isValid() && runDate(run) > *dueDate;
        MatrixCell &held = matrix.cells[*row][columns.value(run.assignment)];
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
