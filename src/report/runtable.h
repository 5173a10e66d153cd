// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace report {

struct RunSummary;

// The run table, one row per run, as texts: shared by the terminal table and the HTML page.
namespace runtable {

QStringList headers();
QStringList row(const RunSummary &run);
// Rows padded into columns for a terminal, with a rule under the headers; control and
// bidirectional characters in the cells are shown escaped (terminaltext).
QString text(const QList<RunSummary> &runs);
// Rows in aligned columns under their headers and a rule, escaped for a terminal.
QString columns(const QStringList &headers, QList<QStringList> rows);
QString mean(double value);

} // namespace runtable

} // namespace report
