// SPDX-License-Identifier: MIT
#include "bank/markup.h"

namespace bank::markup {

namespace {
// "The first n characters in lower case", as the readers compare them.
bool lowerPrefixIs(QStringView line, QStringView lowerMarker)
{
    return line.left(lowerMarker.size()).toString().toLower() == lowerMarker;
}
} // namespace

bool isQuestion(QStringView line)
{
    return line.startsWith(questionMarker);
}

bool isAnswer(QStringView line)
{
    return line.startsWith(answerMarker);
}

bool isQuestionIgnoringCase(QStringView line)
{
    return lowerPrefixIs(line, questionMarker);
}

bool isRoutine(QStringView line)
{
    return lowerPrefixIs(line, routineMarker);
}

bool isHeadLineOf(QStringView line, QStringView assignmentNumber)
{
    return line.left(4) == assignmentNumber.toString() + u'.';
}

} // namespace bank::markup
