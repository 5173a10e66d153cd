// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

// The markers that give a line-store entry its meaning. Every marker starts with a backquote.
namespace bank::markup {

inline constexpr QStringView questionMarker = u"`q";
inline constexpr QStringView answerMarker = u"`a";
inline constexpr QStringView routineMarker = u"`routine";
inline constexpr QStringView lineBreakCode = u"{}";

// "`q" exactly: a backquote and a capital Q is no question.
bool isQuestion(QStringView line);
// "`a" exactly.
bool isAnswer(QStringView line);
// The question marker with letter case ignored: where the question number is taken from.
bool isQuestionIgnoringCase(QStringView line);
// "`routine" in any letter case as the first eight characters.
bool isRoutine(QStringView line);
// The search key of assignment start: the first four characters equal number + ".".
bool isHeadLineOf(QStringView line, QStringView assignmentNumber);

// The text of entries as a person reads it aloud, on one line: a question's and an answer's
// marker at the start of a line become the words "Question" and "Answer:", no backquote or
// line-break code is left, and line breaks ("\n") and runs of blanks become one blank.
QString spokenText(QStringView shown);

} // namespace bank::markup
