// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

// The exact text of every record the program appends, composed whole before anything is
// written. Every line ends with CR LF; a text holding line breaks spans several lines.
namespace records {

namespace fixedtext {
inline constexpr QStringView openingRule = u"......!!!!!!!!...................................";
inline constexpr QStringView closingRule = u".................................................";
inline constexpr QStringView stampIndent = u"                                    ";
inline constexpr QStringView responseHead = u"RESPONSE -->  ";
inline constexpr QStringView confidenceLabel = u"confidence assessment:  ";
inline constexpr QStringView selfCritiqueLabel = u"self critique assessment: ";
inline constexpr QStringView notesLabel = u"NOTES -------> ";
inline constexpr QStringView questionNumberLabel = u"`questionNumber";
inline constexpr QStringView assignmentLabel = u"assignment #";
inline constexpr QStringView lineEnd = u"\r\n";
} // namespace fixedtext

// What the caller has already passed through `code`: the line-store entry and the student's
// text. Kept apart from the raw values so a record can never skip the coding step by accident.
struct CodedLines
{
    QString currentEntry;
    QString studentText;
};

// The five opening lines of a run's block, for one file.
QString openingBlock(const QString &codeLine, const QString &codedAssignmentLine,
                     const QString &codedHeadLine, const QString &titleText, const QString &date);

// "assignment #" + the assignment number: the line given to `code` in the opening block.
QString assignmentLine(const QString &assignmentNumber);

// N = value of the assignment number * 10000 + value of the question number.
double questionNumberValue(const QString &assignmentNumber, const QString &questionNumber);

// The label, then N in the general number form with the sign's place (a blank when not
// negative) before it and one blank after it.
QString questionNumberLine(double n);

enum class Rating { None, Confidence, SelfCritique };

// The rating line without its line end; empty for Rating::None.
QString ratingLine(Rating rating, const QString &typed);

enum class RecordFile { Master, Send };

// A response record for the master file (with the question-number lines) or the send file.
// `time` is the hh:mm:ss read for that file. No rating line for Rating::None.
QString responseRecord(RecordFile file, const QString &time, double questionNumber,
                       const CodedLines &coded, Rating rating, const QString &typedRating);

// A notes record; `coded.studentText` is the coded notes line (label + answer box text).
// `time` is the hh:mm:ss of the time stamp, `dateAndTime` the mm-dd-yyyyhh:mm:ss of the
// date-and-time stamp: the clock is read for each of the two lines.
QString notesRecord(const QString &time, const QString &dateAndTime, const CodedLines &coded);

// The notes line before coding: the label followed by what the student typed.
QString notesLine(const QString &answerText);

} // namespace records
