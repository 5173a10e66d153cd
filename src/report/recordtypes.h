// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

// What the reader finds in a record file: runs (opening blocks), the records of each run and
// the problems it meets on the way. Line numbers count from 1.
namespace report {

struct Problem
{
    QString file;
    qint64 line = 0; // 0: the file as a whole
    QString text;
    // A notice describes the file (a conversion, a rating that is not a number) without
    // making the report fail.
    bool notice = false;
    // The file or folder could not be read at all (the reader's exit status is then 2).
    bool input = false;
    qint64 lastLine = 0; // the last of the lines it names, when they are more than one
};

struct Run
{
    qint64 line = 0;  // line of the code line, or of the assignment line when it is missing
    QString codeLine; // empty when missing
    bool codeLineValid = false;
    int codeNumber = 0; // characters of code 118 or more in a valid code line
    int assignment = 0; // from "assignment #NNN"; 0 when it does not read as a number
    QString assignmentText;
    QString headLine;
    QString date; // mm-dd-yyyy as written
};

enum class RecordKind { Question, Answer, Note, Response };

struct Record
{
    RecordKind kind = RecordKind::Response;
    qint64 line = 0;               // line of its opening rule
    QString time;                  // hh:mm:ss of the time stamp
    QString dateAndTime;           // notes only: mm-dd-yyyyhh:mm:ss
    QString recordedLine;          // the line-store entry shown when it was recorded, CR LF inside
    int assignment = 0;            // of the question it belongs to; 0 when unknown
    int question = 0;              // 0 when unknown
    bool questionFromFile = false; // the question-number line said so (master file)
    QString response;              // response text, or the note without its label; CR LF inside
    bool blank = true;             // the response is empty or only blanks and line breaks
    bool hasRatingLine = false;
    QString ratingTyped;       // exactly as typed
    std::optional<int> rating; // 0..3 when the typed rating is one of those numbers
    bool complete = true;
};

} // namespace report
