// SPDX-License-Identifier: MIT
#include "report/recordlayout.h"

#include "report/lookahead.h"
#include "report/questionindex.h"

namespace report {

using namespace recordlines;

namespace {

// An entry is a line-store entry: it holds none of the lines a record adds around it, and
// starts with text unless it is empty.
bool mayStandInEntry(QByteArrayView line)
{
    return !isClosingRule(line) && !isTimeStamp(line) && !isDateAndTimeStamp(line) &&
           questionNumberOf(line) < 0 && !isResponseHead(line) && notesTextStart(line) < 0 &&
           ratingOf(line) == Rating::None;
}

} // namespace

RecordLayout::RecordLayout(LookAhead &ahead, const QuestionIndex &index, Forms forms)
    : ahead_(ahead)
    , index_(index)
    , forms_(forms)
{}

// What follows the time stamp tells the form.
std::optional<RecordLayout::Form> RecordLayout::form(qsizetype at, Forms forms)
{
    if (ahead_.has(at + 2) && isDateAndTimeStamp(ahead_.bytes(at + 2).view()))
        return Form::Notes;
    if (forms.masterResponses && ahead_.has(at + 4) && ahead_.bytes(at + 2).isEmpty() &&
        ahead_.bytes(at + 3).isEmpty() && questionNumberOf(ahead_.bytes(at + 4).view()) >= 0)
        return Form::MasterResponse;
    if (forms.sendResponses)
        return Form::SendResponse;
    return std::nullopt;
}

bool RecordLayout::holds(Form form) const
{
    return form == Form::Notes ||
           (form == Form::MasterResponse ? forms_.masterResponses : forms_.sendResponses);
}

void RecordLayout::alsoHold(Form form)
{
    (form == Form::MasterResponse ? forms_.masterResponses : forms_.sendResponses) = true;
    for (Known &known : starts_)
        known.line = -1;
    for (Whole &known : wholes_)
        known.line = -1;
}

std::optional<RecordLayout::Start> RecordLayout::start(qsizetype at)
{
    if (!ahead_.has(at + 1) || !isOpeningRule(ahead_.bytes(at).view()) ||
        !isTimeStamp(ahead_.bytes(at + 1).view()))
        return std::nullopt;
    Known &known = starts_[std::size_t(ahead_.number(at) % qint64(starts_.size()))];
    if (known.line == ahead_.number(at))
        return known.start;
    known.line = ahead_.number(at);
    known.start.reset();
    // A form the file does not hold is no record of the file's.
    const std::optional<Form> shape = form(at, forms_);
    if (!shape || shape != form(at, {}))
        return std::nullopt;
    Start start;
    start.form = *shape;
    start.entry = *shape == Form::Notes ? 3 : *shape == Form::MasterResponse ? 5 : 2;
    // The entry runs to the second opening rule. A rule with a time stamp after it starts the
    // next record: this one was cut short.
    for (qsizetype i = start.entry; !start.rule; ++i) {
        if (i > start.entry + maxEntryLines || !ahead_.has(at + i) ||
            !mayStandInEntry(ahead_.bytes(at + i).view()))
            return std::nullopt;
        if (isOpeningRule(ahead_.bytes(at + i).view()))
            start.rule = i;
    }
    if (start.rule == start.entry ||
        (start.rule > start.entry + 1 && ahead_.bytes(at + start.entry).isEmpty()) ||
        (ahead_.has(at + start.rule + 1) && isTimeStamp(ahead_.bytes(at + start.rule + 1).view())))
        return std::nullopt;
    if (ahead_.has(at + start.rule + 1)) {
        const QByteArrayView head = ahead_.bytes(at + start.rule + 1).view();
        start.headed = start.form == Form::Notes ? notesTextStart(head) >= 0 : isResponseHead(head);
    }
    start.closing = start.form == Form::Notes ? Closing::AfterText
                                              : closingOf(at + start.entry, at + start.rule);
    known.start = start;
    return start;
}

// The rating a response's entry calls for: none before anything marked was shown (an empty
// entry), a self-critique after a worked answer, a confidence after a question or a closing
// line.
RecordLayout::Closing RecordLayout::closingOf(qsizetype entry, qsizetype rule)
{
    if (rule == entry + 1 && ahead_.bytes(entry).isEmpty())
        return Closing::AfterText;
    entry_.truncate(0);
    for (qsizetype i = entry; i < rule; ++i) {
        if (i > entry)
            entry_ += "\r\n";
        entry_ += ahead_.bytes(i).view();
    }
    std::optional<QuestionIndex::Place> place = index_.findBytes(entry_);
    if (!place)
        place = index_.find(ahead_.source().decode(entry_));
    if (!place)
        return Closing::AfterRating;
    return place->kind == QuestionIndex::EntryKind::Answer ? Closing::AfterSelfCritique
                                                           : Closing::AfterConfidence;
}

bool RecordLayout::closes(Closing closing, qsizetype lines, Rating before, QByteArrayView line)
{
    if (!isClosingRule(line))
        return false;
    switch (closing) {
    case Closing::AfterText:
        return lines >= 1;
    case Closing::AfterConfidence:
        return lines >= 2 && before == Rating::Confidence;
    case Closing::AfterSelfCritique:
        return lines >= 2 && before == Rating::SelfCritique;
    case Closing::AfterRating:
        return lines >= 2 && before != Rating::None;
    }
    return false;
}

bool RecordLayout::followsRecord(qsizetype at)
{
    return !ahead_.has(at) || start(at) || (forms_.runs && startsLooseRun(at));
}

// Only a whole record or run starts in a text: the program wrote it after a crash cut the text
// short. Anything less was typed into the text.
bool RecordLayout::startsInText(qsizetype at)
{
    return isWholeRecord(at) || isWholeBlock(at);
}

// A record whose text ends at the first closing rule its layout allows where the next record or
// run (or the end of the file) follows; before that, its text holds no record start with its
// head, nor a whole opening block: a record is taken for whole only where no other reading of
// its lines is near. Past the look's bounds it is taken for whole.
bool RecordLayout::isWholeRecord(qsizetype at)
{
    const std::optional<Start> head = start(at);
    if (!head || !head->headed)
        return false;
    Whole &known = wholes_[std::size_t(ahead_.number(at) % qint64(wholes_.size()))];
    if (known.line == ahead_.number(at))
        return known.whole;
    known = {ahead_.number(at), false};
    const qsizetype first = at + head->text();
    Rating before = Rating::None;
    qint64 bytes = 0;
    for (qsizetype i = first;; ++i) {
        if (i - at >= lookLines || bytes >= lookBytes || !ahead_.has(i))
            return known.whole = ahead_.has(i);
        if (isOpeningRule(ahead_.bytes(i).view())) {
            if (const std::optional<Start> inner = start(i); inner && inner->headed)
                return false;
        }
        if (isWholeBlock(i))
            return false;
        if (closes(head->closing, i - first, before, ahead_.bytes(i).view()) &&
            followsRecord(i + 1))
            return known.whole = true;
        before = ratingOf(ahead_.bytes(i).view());
        bytes += ahead_.length(i);
    }
}

bool RecordLayout::isWholeBlock(qsizetype at)
{
    return forms_.runs && startsValidBlock(at) && ahead_.has(at + 4) &&
           isDate(ahead_.bytes(at + 4).view()) && followsRecord(at + 5);
}

bool RecordLayout::startsValidBlock(qsizetype at)
{
    if (!ahead_.has(at + 3) || !isAssignmentLine(ahead_.bytes(at + 1).view()) ||
        !isTitle(ahead_.bytes(at + 3).view()))
        return false;
    const QString headLine = index_.headLine(assignmentNumberOf(ahead_.text(at + 1)));
    return !headLine.isEmpty() && ahead_.text(at + 2).trimmed() == headLine &&
           isValidCodeLine(ahead_.text(at));
}

bool RecordLayout::startsLooseBlock(qsizetype at, bool *withCodeLine)
{
    if (!ahead_.has(at + 1))
        return false;
    if (isAssignmentLine(ahead_.bytes(at).view())) {
        *withCodeLine = false;
        return ahead_.has(at + 2) && isTitle(ahead_.bytes(at + 2).view());
    }
    *withCodeLine = true;
    return isAssignmentLine(ahead_.bytes(at + 1).view()) && ahead_.has(at + 3) &&
           isTitle(ahead_.bytes(at + 3).view());
}

bool RecordLayout::startsLooseRun(qsizetype at)
{
    bool withCodeLine = false;
    if (!startsLooseBlock(at, &withCodeLine))
        return false;
    qsizetype next = at + (withCodeLine ? 4 : 3);
    if (ahead_.has(next) && isDate(ahead_.bytes(next).view()))
        ++next;
    bool nextWithCodeLine = false;
    return !ahead_.has(next) || start(next) || startsLooseBlock(next, &nextWithCodeLine);
}

} // namespace report
