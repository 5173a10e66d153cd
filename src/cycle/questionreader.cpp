// SPDX-License-Identifier: MIT
#include "cycle/questionreader.h"

#include "bank/linestore.h"
#include "bank/markup.h"
#include "records/numbertext.h"

namespace cycle {

namespace {

// Characters 3 to 5 of a question line, as a number without leading zeros.
QString questionNumberOf(const QString &line)
{
    return records::numbertext::decimalText(records::numbertext::valueOf(line.mid(2, 3)));
}

} // namespace

ReadOutcome QuestionReader::readNextQuestion(bank::LineStore &store,
                                             const QString &nextAssignmentNumber)
{
    ReadOutcome outcome;
    outcome.refillAnswerBox = instructionsPending;
    instructionsPending = false;

    QString line;
    while (line.isEmpty()) {
        if (store.bankLineCount >= bank::LineStore::lastIndex) {
            outcome.endsProgram = true;
            return outcome;
        }
        ++store.bankLineCount;
        line = store.entry(store.bankLineCount);
        if (bank::markup::isQuestion(line)) {
            currentKind = questionKind;
        } else if (bank::markup::isAnswer(line)) {
            line.remove(0, bank::markup::answerMarker.size());
            currentKind = answerKind;
        }
        if (line.isEmpty())
            continue;
        currentLine = line;
        if (bank::markup::isQuestionIgnoringCase(line))
            questionNumber = questionNumberOf(line);
    }

    if (!bank::markup::isRoutine(line))
        instructionsPending = true;
    displayText = line;
    outcome.endsProgram = line.left(3) == nextAssignmentNumber;
    return outcome;
}

} // namespace cycle
