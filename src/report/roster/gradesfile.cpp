// SPDX-License-Identifier: MIT
#include "report/roster/gradesfile.h"

#include "report/classsummary.h"
#include "report/questionindex.h"
#include "report/roster/roster.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>

#include <optional>

namespace report {

namespace {

// What one row gets: fields replaced in columns it has, and fields added after them.
struct RowValues
{
    QMap<qsizetype, QString> replaced;
    QStringList added;
};

// The row's own bytes with its replaced fields in place, short rows filled out to the header's
// width so that an added field lands under its title, and its own line end.
QByteArray rowBytes(const RosterTable &table, qsizetype row, qsizetype width,
                    const RowValues &values)
{
    const RosterTable::Row &place = table.rows()[row];
    const QList<RosterTable::Span> spans = table.fieldSpans(row, width);
    QByteArray bytes;
    qsizetype from = place.text.start;
    for (auto it = values.replaced.constBegin(); it != values.replaced.constEnd(); ++it) {
        if (it.key() >= spans.size())
            break;
        bytes += table.raw(from, spans[it.key()].start) + table.encode(it.value());
        from = spans[it.key()].end;
    }
    bytes += table.raw(from, place.text.end);
    const QByteArray delimiter = table.encode(table.delimiter());
    for (qsizetype c = spans.size(); c < width; ++c)
        bytes += delimiter + table.encode(values.replaced.value(c));
    for (const QString &value : values.added)
        bytes += delimiter + table.encode(value);
    return bytes + table.raw(place.text.end, place.lineEnd);
}

// A list of names gets a header, so that the site (and the next reading) knows the columns.
QByteArray headerForList(const RosterTable &table, qsizetype width, const QStringList &titles)
{
    QStringList fields{QStringLiteral("name")};
    for (qsizetype c = 1; c < width; ++c)
        fields.append(QString());
    QByteArray lineEnd = table.encode(QStringLiteral("\r\n"));
    for (const RosterTable::Row &row : table.rows()) {
        if (row.lineEnd > row.text.end) {
            lineEnd = table.raw(row.text.end, row.lineEnd);
            break;
        }
    }
    return table.encode((fields + titles).join(table.delimiter())) + lineEnd;
}

qsizetype widestRow(const RosterTable &table)
{
    qsizetype width = 1;
    for (qsizetype row = 0; row < table.rows().size(); ++row)
        width = qMax(width, table.fieldSpans(row).size());
    return width;
}

} // namespace

QString GradesFile::columnTitle(int assignment)
{
    return QStringLiteral("Bexlorin %1").arg(assignment, 3, 10, QChar(u'0'));
}

int GradesFile::assignmentOf(const QString &title)
{
    static const QRegularExpression column(QStringLiteral("^Bexlorin (\\d{3})(?:\\s*[(\\[].*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return column.match(title.trimmed()).captured(1).toInt();
}

QByteArray GradesFile::of(const Roster &roster, const ClassMatrix &matrix,
                          const QuestionIndex &index)
{
    const RosterTable &table = roster.table();
    QHash<int, qsizetype> existing; // by assignment, its column
    for (qsizetype c = 0; c < roster.header().size(); ++c) {
        const int assignment = assignmentOf(roster.header()[c]);
        if (matrix.assignments.contains(assignment) && !existing.contains(assignment))
            existing.insert(assignment, c);
    }
    QStringList titles; // of the columns added
    for (const int assignment : matrix.assignments) {
        if (!existing.contains(assignment))
            titles.append(columnTitle(assignment));
    }
    QHash<qsizetype, qsizetype> entryOfRow;
    for (qsizetype e = 0; e < roster.entries().size(); ++e)
        entryOfRow.insert(roster.entries()[e].row, e);

    const bool list = roster.headerRow() < 0;
    const qsizetype width = list ? widestRow(table) : roster.header().size();
    QByteArray bytes = table.byteOrderMark();
    if (list)
        bytes += headerForList(table, width, titles);
    // What a row holds in the matrix's column `a`, or nothing to write there.
    const auto valueIn = [&](qsizetype row, qsizetype a) -> std::optional<QString> {
        const int assignment = matrix.assignments[a];
        if (row == roster.headerRow())
            return existing.contains(assignment) ? std::nullopt
                                                 : std::optional(columnTitle(assignment));
        if (row == roster.pointsRow())
            return QString::number(index.questionCount(assignment));
        const auto entry = entryOfRow.constFind(row);
        if (entry == entryOfRow.constEnd())
            return existing.contains(assignment) ? std::nullopt : std::optional(QString());
        const MatrixCell &cell = matrix.cells[*entry][a];
        return cell.found ? QString::number(cell.answered) : QString();
    };
    for (qsizetype row = 0; row < table.rows().size(); ++row) {
        const RosterTable::Row &place = table.rows()[row];
        if (place.text.start == place.text.end) {
            bytes += table.raw(place.text.end, place.lineEnd);
            continue;
        }
        RowValues values;
        for (qsizetype a = 0; a < matrix.assignments.size(); ++a) {
            const std::optional<QString> value = valueIn(row, a);
            if (!value)
                continue;
            if (const auto column = existing.constFind(matrix.assignments[a]);
                column != existing.constEnd())
                values.replaced.insert(*column, *value);
            else
                values.added.append(*value);
        }
        bytes += rowBytes(table, row, width, values);
    }
    return bytes;
}

} // namespace report
