// SPDX-License-Identifier: MIT
#include "bank/markup.h"

#include <QStringList>

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

QString spokenText(QStringView shown)
{
    QStringList lines;
    for (QStringView line : shown.split(u'\n')) {
        QString spoken;
        if (isQuestionIgnoringCase(line))
            spoken = QStringLiteral("Question ") + line.mid(questionMarker.size()).toString();
        else if (line.left(answerMarker.size()).toString().toLower() == answerMarker)
            spoken = QStringLiteral("Answer: ") + line.mid(answerMarker.size()).toString();
        else
            spoken = line.toString();
        spoken.remove(lineBreakCode.toString()).remove(u'`');
        lines.append(spoken);
    }
    // One line of words: a braille display shows one line, and speech needs no breaks.
    return lines.join(u' ').simplified();
}

} // namespace bank::markup
