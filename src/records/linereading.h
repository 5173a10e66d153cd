// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// How the program reads text files back: a line ends at CR or at CR LF, the line end is not
// part of the line, and the last line needs none. A lone LF stays inside its line.
namespace records {

QStringList readLines(QStringView text);

// What a viewer appends to the question box for a file: CR LF before every line.
QString viewerText(QStringView text);

} // namespace records
