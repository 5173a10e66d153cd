// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QStringView>

// The fixed lines of the records and opening blocks the drill program writes, told on a line's
// bytes: they are ASCII, so a test holds in Windows-1252 and UTF-8 alike. Editors that strip
// trailing blanks leave a head or an empty rating without its blanks: that still counts.
namespace report::recordlines {

bool isOpeningRule(QByteArrayView line);
bool isClosingRule(QByteArrayView line);
// The stamp indent followed by hh:mm:ss, and by mm-dd-yyyyhh:mm:ss.
bool isTimeStamp(QByteArrayView line);
bool isDateAndTimeStamp(QByteArrayView line);
bool isDate(QByteArrayView line);
bool isTitle(QByteArrayView line);
bool isAssignmentLine(QByteArrayView line);
// The number of "assignment #NNN"; 0 when it does not read as one.
int assignmentNumberOf(QStringView line);
// N of "`questionNumber N " (N = assignment * 10000 + question); -1 when it is not one.
qint64 questionNumberOf(QByteArrayView line);
bool isResponseHead(QByteArrayView line);
// Where the note starts in a notes line; -1 when the line has no notes label.
qsizetype notesTextStart(QByteArrayView line);

enum class Rating { None, Confidence, SelfCritique };
Rating ratingOf(QByteArrayView line);
// What was typed at the rating prompt: the rating line after its label.
QByteArrayView typedRating(QByteArrayView line);

// A code line holds only characters of code 66 or more, and never 117.
bool isValidCodeLine(QStringView line);

} // namespace report::recordlines
