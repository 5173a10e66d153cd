// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace bank {
class LineStore;
}

namespace cycle {

// What one read asks of the window besides the fields it sets.
struct ReadOutcome
{
    bool refillAnswerBox = false; // put the instructions into the answer box first
    bool endsProgram = false;     // the next assignment's head, or the end of the store
};

// Walks the line store forward from its position, one non-empty entry per read, and keeps
// what it found for the command that shows it and for the record writers.
class QuestionReader
{
public:
    QString displayText;    // the line just read, for the Next Question command
    QString currentLine;    // the last non-empty line read, after marker handling
    QString currentKind;    // "question" or "answer"; empty until the first marked line
    QString questionNumber; // the last question line's number, without leading zeros
    bool instructionsPending = false;

    // Consumes entries until a non-empty one and classifies it. Never reads past entry 5000:
    // running out of entries ends the program, as the next assignment's head line does.
    ReadOutcome readNextQuestion(bank::LineStore &store, const QString &nextAssignmentNumber);
};

inline const QString questionKind = QStringLiteral("question");
inline const QString answerKind = QStringLiteral("answer");

} // namespace cycle
