// SPDX-License-Identifier: MIT
#include "report/recordlines.h"

#include "records/codepage.h"
#include "records/recordcomposition.h"

#include <QByteArray>

namespace report::recordlines {

namespace {

namespace text = records::fixedtext;

const QByteArray openingRule = text::openingRule.toLatin1();
const QByteArray closingRule = text::closingRule.toLatin1();
const QByteArray stampIndent = text::stampIndent.toLatin1();
const QByteArray responseHead = text::responseHead.toLatin1();
const QByteArray confidenceLabel = text::confidenceLabel.toLatin1();
const QByteArray selfCritiqueLabel = text::selfCritiqueLabel.toLatin1();
const QByteArray notesLabel = text::notesLabel.toLatin1();
const QByteArray questionNumberLabel = text::questionNumberLabel.toLatin1() + ' ';
const QByteArray assignmentLabel = text::assignmentLabel.toLatin1();

// `pattern` with 9 standing for any digit: "99:99:99" and the like.
bool hasForm(QByteArrayView text, QByteArrayView pattern)
{
    if (text.size() != pattern.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (pattern[i] == '9' ? text[i] < '0' || text[i] > '9' : text[i] != pattern[i])
            return false;
    }
    return true;
}

bool isStamp(QByteArrayView line, QByteArrayView form)
{
    return line.size() == stampIndent.size() + form.size() && line.startsWith(stampIndent) &&
           hasForm(line.sliced(stampIndent.size()), form);
}

// `fixed` as written, or with some of its trailing blanks stripped.
bool isFixed(QByteArrayView line, QByteArrayView fixed)
{
    return fixed.startsWith(line) && line.size() >= QByteArrayView(fixed).trimmed().size();
}

// The length of `label` at the start of `line`: the whole label, or what an editor left of it
// when the typed text after it was empty. -1 when the line does not start so.
qsizetype labelLength(QByteArrayView line, QByteArrayView label)
{
    if (line.startsWith(label))
        return label.size();
    return isFixed(line, label) ? line.size() : -1;
}

} // namespace

bool isOpeningRule(QByteArrayView line)
{
    return line.size() == openingRule.size() && line.front() == '.' && line == openingRule;
}

bool isClosingRule(QByteArrayView line)
{
    return line.size() == closingRule.size() && line == closingRule;
}

bool isTimeStamp(QByteArrayView line)
{
    return isStamp(line, "99:99:99");
}

bool isDateAndTimeStamp(QByteArrayView line)
{
    return isStamp(line, "99-99-999999:99:99");
}

bool isDate(QByteArrayView line)
{
    return hasForm(line, "99-99-9999");
}

bool isTitle(QByteArrayView line)
{
    return line == QByteArrayView("bexlorin");
}

bool isAssignmentLine(QByteArrayView line)
{
    return line.size() >= assignmentLabel.size() && line.front() == 'a' &&
           line.startsWith(assignmentLabel);
}

int assignmentNumberOf(QStringView line)
{
    bool ok = false;
    const int number = line.mid(text::assignmentLabel.size()).trimmed().toInt(&ok);
    return ok ? number : 0;
}

qint64 questionNumberOf(QByteArrayView line)
{
    if (!line.startsWith(questionNumberLabel))
        return -1;
    QByteArrayView digits = line.sliced(questionNumberLabel.size());
    if (digits.endsWith(' '))
        digits.chop(1);
    if (digits.isEmpty() || digits.size() > 12)
        return -1;
    qint64 n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

bool isResponseHead(QByteArrayView line)
{
    return isFixed(line, responseHead);
}

qsizetype notesTextStart(QByteArrayView line)
{
    return labelLength(line, notesLabel);
}

Rating ratingOf(QByteArrayView line)
{
    if (labelLength(line, confidenceLabel) >= 0)
        return Rating::Confidence;
    if (labelLength(line, selfCritiqueLabel) >= 0)
        return Rating::SelfCritique;
    return Rating::None;
}

QByteArrayView typedRating(QByteArrayView line)
{
    qsizetype label = labelLength(line, confidenceLabel);
    if (label < 0)
        label = labelLength(line, selfCritiqueLabel);
    return label < 0 ? QByteArrayView() : line.sliced(label);
}

bool isValidCodeLine(QStringView line)
{
    if (line.isEmpty())
        return false;
    for (const QChar c : line) {
        const int code = records::codepage::codeOf(c.unicode());
        if (code < 66 || code == 117)
            return false;
    }
    return true;
}

} // namespace report::recordlines
