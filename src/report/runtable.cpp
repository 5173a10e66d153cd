// SPDX-License-Identifier: MIT
#include "report/runtable.h"

#include "report/gradebook.h"
#include "report/terminaltext.h"

namespace report::runtable {

QString mean(double value)
{
    return QString::number(value, 'f', 2);
}

QStringList headers()
{
    return {
        QStringLiteral("student"),    QStringLiteral("file"),          QStringLiteral("date"),
        QStringLiteral("assignment"), QStringLiteral("code"),          QStringLiteral("answered"),
        QStringLiteral("confidence"), QStringLiteral("self-critique"), QStringLiteral("notes"),
        QStringLiteral("first"),      QStringLiteral("last"),          QStringLiteral("problems")};
}

QStringList row(const RunSummary &run)
{
    const auto meanOrDash = [](std::optional<double> value) {
        return value ? mean(*value) : QStringLiteral("-");
    };
    return {run.student,
            run.name.kindText(),
            run.date.isEmpty() ? QStringLiteral("-") : run.date,
            run.assignmentText.isEmpty() ? QStringLiteral("-") : run.assignmentText,
            run.codeNumber ? QString::number(*run.codeNumber) : QStringLiteral("-"),
            QStringLiteral("%1 of %2").arg(run.answered.size()).arg(run.questions),
            meanOrDash(run.meanConfidence()),
            meanOrDash(run.meanSelfCritique()),
            QString::number(run.notes),
            run.firstTime.isEmpty() ? QStringLiteral("-") : run.firstTime,
            run.lastTime.isEmpty() ? QStringLiteral("-") : run.lastTime,
            QString::number(run.problems)};
}

QString text(const QList<RunSummary> &runs)
{
    QList<QStringList> rows;
    rows.reserve(runs.size());
    for (const RunSummary &run : runs)
        rows.append(row(run));
    return columns(headers(), rows);
}

QString columns(const QStringList &headers, QList<QStringList> rows)
{
    for (QStringList &cells : rows) {
        for (QString &cell : cells)
            cell = terminaltext::escaped(cell);
    }
    QList<qsizetype> widths(headers.size(), 0);
    for (qsizetype i = 0; i < headers.size(); ++i)
        widths[i] = headers[i].size();
    for (const QStringList &cells : std::as_const(rows)) {
        for (qsizetype i = 0; i < cells.size() && i < widths.size(); ++i)
            widths[i] = qMax(widths[i], cells[i].size());
    }
    QString out;
    const auto addRow = [&](const QStringList &cells) {
        const qsizetype start = out.size();
        for (qsizetype i = 0; i < cells.size() && i < widths.size(); ++i) {
            if (i > 0)
                out += QStringLiteral("  ");
            out += cells[i];
            out.resize(out.size() + widths[i] - cells[i].size(), u' ');
        }
        while (out.size() > start && out.endsWith(u' '))
            out.chop(1);
        out += u'\n';
    };
    addRow(headers);
    QStringList rules;
    for (const qsizetype width : widths)
        rules.append(QString(width, u'-'));
    addRow(rules);
    for (const QStringList &cells : std::as_const(rows))
        addRow(cells);
    return out;
}

} // namespace report::runtable
