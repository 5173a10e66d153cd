// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

class QTextStream;

// What the reader writes to a terminal comes in part from the files it reads and from their
// names, which a student controls. A control character (C0, DEL, C1) or a bidirectional
// control there could move the cursor, retitle the window, write the clipboard or reorder
// what the instructor sees; so on the terminal each is shown escaped, as \x1b or \u202e.
// Files written by the reader keep the exact text.
namespace report::terminaltext {

// `text` with every such character escaped.
QString escaped(QStringView text);
// The same, without a copy when there is nothing to escape.
QString escaped(const QString &text);

// Writes `line` escaped, then a line end.
void writeLine(QTextStream &stream, QStringView line);

} // namespace report::terminaltext
