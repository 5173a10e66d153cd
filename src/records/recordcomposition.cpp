// SPDX-License-Identifier: MIT
#include "records/recordcomposition.h"

#include "records/numbertext.h"

namespace records {

namespace {

void addLine(QString &record, QStringView line)
{
    record += line;
    record += fixedtext::lineEnd;
}

QString stamp(QStringView clockText)
{
    return fixedtext::stampIndent.toString() + clockText.toString();
}

} // namespace

QString openingBlock(const QString &codeLine, const QString &codedAssignmentLine,
                     const QString &codedHeadLine, const QString &titleText, const QString &date)
{
    QString block;
    addLine(block, codeLine);
    addLine(block, codedAssignmentLine);
    addLine(block, codedHeadLine);
    addLine(block, titleText);
    addLine(block, date);
    return block;
}

QString assignmentLine(const QString &assignmentNumber)
{
    return fixedtext::assignmentLabel.toString() + assignmentNumber;
}

double questionNumberValue(const QString &assignmentNumber, const QString &questionNumber)
{
    return numbertext::valueOf(assignmentNumber) * 10000.0 + numbertext::valueOf(questionNumber);
}

QString questionNumberLine(double n)
{
    const QString digits = numbertext::decimalText(n);
    const QString withSignPlace = n < 0 ? digits : u' ' + digits;
    return fixedtext::questionNumberLabel.toString() + withSignPlace + u' ';
}

QString ratingLine(Rating rating, const QString &typed)
{
    switch (rating) {
    case Rating::Confidence:
        return fixedtext::confidenceLabel.toString() + typed;
    case Rating::SelfCritique:
        return fixedtext::selfCritiqueLabel.toString() + typed;
    case Rating::None:
        break;
    }
    return {};
}

QString responseRecord(RecordFile file, const QString &time, double questionNumber,
                       const CodedLines &coded, Rating rating, const QString &typedRating)
{
    QString record;
    addLine(record, fixedtext::openingRule);
    addLine(record, stamp(time));
    if (file == RecordFile::Master) {
        addLine(record, {});
        addLine(record, {});
        addLine(record, questionNumberLine(questionNumber));
    }
    addLine(record, coded.currentEntry);
    addLine(record, fixedtext::openingRule);
    addLine(record, fixedtext::responseHead);
    addLine(record, coded.studentText);
    if (rating != Rating::None)
        addLine(record, ratingLine(rating, typedRating));
    addLine(record, fixedtext::closingRule);
    return record;
}

QString notesRecord(const QString &time, const QString &dateAndTime, const CodedLines &coded)
{
    QString record;
    addLine(record, fixedtext::openingRule);
    addLine(record, stamp(time));
    addLine(record, stamp(dateAndTime));
    addLine(record, coded.currentEntry);
    addLine(record, fixedtext::openingRule);
    addLine(record, coded.studentText);
    addLine(record, fixedtext::closingRule);
    return record;
}

QString notesLine(const QString &answerText)
{
    return fixedtext::notesLabel.toString() + answerText;
}

} // namespace records
