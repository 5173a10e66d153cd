// SPDX-License-Identifier: MIT
#include "report/recordparser.h"

#include "records/linecoding.h"
#include "records/recordcomposition.h"
#include "report/questionindex.h"

#include <QTime>

#include <algorithm>
#include <cstring>

namespace report {

using namespace recordlines;

namespace {

namespace text = records::fixedtext;

const QByteArray openingRule = text::openingRule.toLatin1();
const QByteArray stampIndent = text::stampIndent.toLatin1();
const QByteArray assignmentLabel = text::assignmentLabel.toLatin1();
const QByteArray lineEnd("\r\n");

std::optional<int> ratingNumber(const QString &typed)
{
    const QString trimmed = typed.trimmed();
    if (trimmed.size() == 1 && trimmed[0] >= u'0' && trimmed[0] <= u'3')
        return trimmed[0].unicode() - u'0';
    return std::nullopt;
}

QString sizeText(qsizetype bytes)
{
    constexpr qsizetype mebibyte = 1024 * 1024;
    return bytes % mebibyte == 0 ? QStringLiteral("%1 MiB").arg(bytes / mebibyte)
                                 : QStringLiteral("%1 bytes").arg(bytes);
}

// The records a file can hold as the program writes it: a master file's responses have their
// question-number lines, a send file's have none, a notes file holds notes alone (and no runs).
RecordLayout::Forms formsOf(RecordParser::FileKind kind)
{
    using Kind = RecordParser::FileKind;
    return {kind == Kind::Master || kind == Kind::Other, kind == Kind::Send || kind == Kind::Other,
            kind != Kind::Notes};
}

} // namespace

// Lines joined with CR LF as they come, as bytes: decoded once, whole. Lines that follow each
// other in the file with CR LF between are their own joined text, so they stay where they were
// read (the parser keeps those bytes) and are copied only when one breaks that run. A mark
// taken at a line can be gone back to, since where the text ends is known only later. Beyond
// the line limit no more is kept (the record says so), so that no record holds more than that.
class RecordParser::JoinedLines
{
public:
    struct Mark
    {
        qsizetype size = 0;
        qsizetype lastStart = 0;
        qsizetype count = 0;
    };

    JoinedLines(const LineSource &source, qsizetype limit)
        : source_(source)
        , limit_(limit)
    {}

    // The line, after its first `skip` bytes.
    void add(const LineSource::Line &line, qsizetype skip = 0)
    {
        const QByteArrayView text = source_.bytes(line).view().sliced(skip);
        const qint64 offset = line.offset + skip;
        const qsizetype separator = count_ > 0 ? lineEnd.size() : 0;
        ++count_;
        if (size_ + separator + text.size() > limit_) {
            overflow_ = true;
            copyOut(); // what is kept no longer holds the file's bytes
            return;
        }
        lastStart_ = size_ + separator;
        if (inPlace_ && count_ == 1) {
            start_ = offset;
        } else if (inPlace_ && !(offset == start_ + lastStart_ &&
                                 source_.bytes(start_ + size_, separator) == lineEnd)) {
            copyOut();
        }
        size_ = lastStart_ + text.size();
        if (inPlace_)
            return;
        // Resize and copy: QByteArray::append goes the long way round for every line.
        ++changes_;
        bytes_.resize(size_);
        char *to = bytes_.data() + lastStart_ - separator;
        if (separator > 0)
            std::memcpy(to, lineEnd.data(), std::size_t(separator));
        std::memcpy(to + separator, text.data(), std::size_t(text.size()));
    }
    Mark mark() const { return {size_, lastStart_, count_}; }
    void restore(const Mark &mark)
    {
        size_ = mark.size;
        lastStart_ = mark.lastStart;
        count_ = mark.count;
        truncateCopy();
    }
    bool isEmpty() const { return count_ == 0; }
    bool overflowed() const { return overflow_; }
    // The first byte of the file it still needs, -1 for none.
    qint64 heldFrom() const { return inPlace_ && count_ > 0 ? start_ : -1; }
    LineBytes bytes() const
    {
        if (count_ == 0)
            return {};
        return inPlace_ ? source_.bytes(start_, size_) : LineBytes(bytes_, &changes_);
    }
    LineBytes last() const { return bytes().sliced(lastStart_); }
    void dropLast()
    {
        size_ = count_ > 1 ? lastStart_ - lineEnd.size() : 0;
        truncateCopy();
        count_ = count_ > 1 ? 1 : 0; // what is left counts as one line from now on
        lastStart_ = 0;
    }
    void clear()
    {
        ++changes_;
        bytes_.truncate(0);
        inPlace_ = true;
        size_ = lastStart_ = count_ = 0;
        overflow_ = false;
    }

private:
    void copyOut()
    {
        if (!inPlace_)
            return;
        ++changes_;
        bytes_ = count_ > 1 ? source_.bytes(start_, size_).view().toByteArray() : QByteArray();
        inPlace_ = false;
    }
    void truncateCopy()
    {
        if (inPlace_)
            return;
        ++changes_;
        bytes_.truncate(size_);
    }

    const LineSource &source_;
    qsizetype limit_;
    bool inPlace_ = true;
    qint64 start_ = 0; // in place: where the text starts in the file
    QByteArray bytes_; // otherwise: the text
    quint64 changes_ = 0;
    qsizetype size_ = 0;
    qsizetype lastStart_ = 0;
    qsizetype count_ = 0;
    bool overflow_ = false;
};

using JoinedLines = RecordParser::JoinedLines;

// One record while its parts are read.
struct RecordParser::Reading
{
    Record record;
    qint64 last = 0; // the last line taken
    bool notes = false;
    qint64 questionNumber = -1;
    qint64 missingHead = 0; // the line where the response head should be
    QString missing;        // what an incomplete record lacks
};

// The typed text of a record while it is read: where the last closing rule that may end it
// stands, and the first line after it.
struct RecordParser::Body
{
    Body(const LineSource &source, qsizetype limit, RecordLayout::Closing closing)
        : lines(source, limit)
        , closing(closing)
    {}

    JoinedLines lines;
    RecordLayout::Closing closing;
    qsizetype count = 0; // lines taken, beyond the line limit too
    Rating lastRating = Rating::None;
    bool afterRule = false; // the last line was a closing rule that did not end the text
    bool noteLabel = false; // a note's first line starts with its label, which is no text
    bool clean = false;     // ended at a closing rule that the next record or run follows
    qint64 otherRating = 0; // a rating line of the kind the entry does not call for, then a rule
    std::optional<JoinedLines::Mark> end;
    qint64 endLine = 0;
    // The lines after it, in parts that each start at a record start (what a crash left of a
    // record) or else fit no record.
    struct After
    {
        qint64 first = 0;
        QString text;
        bool record = false;
    };
    QList<After> after;
};

namespace {

// Whether the response holds more than blanks is told on its bytes; its text is decoded only
// when an output shows it.
void setResponse(Record &record, QByteArrayView bytes, const LineSource &source, bool keepText)
{
    record.blank = std::all_of(bytes.begin(), bytes.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    });
    if (keepText)
        record.response = source.decode(bytes);
}

} // namespace

RecordParser::RecordParser(QIODevice &device, const QString &fileName, FileKind kind,
                           const QuestionIndex &index, QString expectedDate, qsizetype lineLimit,
                           qsizetype readSize)
    : ahead_(device, lineLimit, readSize)
    , fileName_(fileName)
    , kind_(kind)
    , index_(index)
    , layout_(ahead_, index, formsOf(kind))
    , expectedDate_(std::move(expectedDate))
    , entry_(std::make_unique<JoinedLines>(ahead_.source(), lineLimit))
{}

RecordParser::~RecordParser() = default;

LineSource::Line RecordParser::take()
{
    const LineSource::Line line = ahead_.take();
    // The line stays readable until the next one is read, and the record's joined lines for
    // as long as they stand on the file's bytes.
    qint64 keep = line.offset;
    for (const JoinedLines *lines : {entry_.get(), body_}) {
        if (lines && lines->heldFrom() >= 0)
            keep = qMin(keep, lines->heldFrom());
    }
    ahead_.release(keep);
    if (line.droppedLength > 0) {
        problem(line.number, QStringLiteral("this line is longer than the limit of %1 (%2 bytes): "
                                            "it is left out")
                                 .arg(sizeText(source().lineLimit()))
                                 .arg(line.droppedLength));
    }
    return line;
}

// An opening rule followed by a time stamp.
bool RecordParser::startsRecord(qsizetype at)
{
    return ahead_.has(at + 1) && isOpeningRule(ahead_.bytes(at).view()) &&
           isTimeStamp(ahead_.bytes(at + 1).view());
}

bool RecordParser::breaksBetweenRecords(qsizetype at)
{
    bool withCodeLine = false;
    return startsRecord(at) || layout_.startsLooseBlock(at, &withCodeLine);
}

// What an interrupted write leaves of the start of an opening block or a record.
bool RecordParser::startsPartialStart(qsizetype at)
{
    if (!ahead_.has(at))
        return false;
    if (ahead_.has(at + 1) && isAssignmentLine(ahead_.bytes(at + 1).view()))
        return true;
    const QByteArrayView first = ahead_.bytes(at).view();
    return isAssignmentLine(first) ||
           (!first.isEmpty() && QByteArrayView(openingRule).startsWith(first));
}

void RecordParser::problem(qint64 line, const QString &text, bool notice, qint64 lastLine)
{
    if (handlers_->problem)
        handlers_->problem({fileName_, line, text, notice, false, lastLine});
}

void RecordParser::parse(const Handlers &handlers)
{
    handlers_ = &handlers;
    while (ahead_.has(0)) {
        bool withCodeLine = false;
        if (startsRecord(0)) {
            parseRecord();
        } else if (layout_.startsLooseBlock(0, &withCodeLine)) {
            parseOpeningBlock(withCodeLine);
        } else if (startsPartialStart(0)) {
            skipIncomplete(ahead_.bytes(0).startsWith(".")
                               ? QStringLiteral("record (lines %1 to %2): it has no time stamp "
                                                "after its opening rule")
                               : QStringLiteral("opening block (lines %1 to %2): it has no "
                                                "title line"));
        } else {
            skipLinesThatFitNoRecord();
        }
    }
    reportFormat();
    handlers_ = nullptr;
}

void RecordParser::parseOpeningBlock(bool withCodeLine)
{
    run_ = Run();
    haveRun_ = true;
    lastTime_.clear();
    // The run's problems follow the run, so that they are counted against it.
    QList<Problem> found;
    readCodeLine(withCodeLine, found);
    const QString assignmentLine = source().text(take());
    run_.assignmentText = assignmentLine.mid(text::assignmentLabel.size());
    run_.assignment = assignmentNumberOf(assignmentLine);
    run_.headLine = source().text(take());
    take(); // the title, which startsLooseBlock has seen
    readDate(found);
    if (handlers_->run)
        handlers_->run(run_);
    for (const Problem &each : found)
        problem(each.line, each.text);
}

void RecordParser::readCodeLine(bool withCodeLine, QList<Problem> &found)
{
    if (!withCodeLine) {
        run_.line = ahead_.number(0);
        found.append({fileName_, run_.line,
                      QStringLiteral("this run has no code line before \"%1\": its code number "
                                     "is unknown")
                          .arg(ahead_.text(0))});
        return;
    }
    const LineSource::Line code = take();
    run_.line = code.number;
    run_.codeLine = source().text(code);
    run_.codeLineValid = isValidCodeLine(run_.codeLine);
    if (run_.codeLineValid) {
        run_.codeNumber = records::codeNumberOf(run_.codeLine);
    } else {
        found.append({fileName_, code.number,
                      QStringLiteral("the code line of this run is not valid (it holds a "
                                     "character below code 66 or of code 117): the run's code "
                                     "number cannot be read")});
    }
}

void RecordParser::readDate(QList<Problem> &found)
{
    if (!ahead_.has(0) || !isDate(ahead_.bytes(0).view())) {
        found.append({fileName_, run_.line,
                      QStringLiteral("the opening block of this run has no date line")});
        return;
    }
    const LineSource::Line date = take();
    run_.date = QString::fromLatin1(bytesOf(date).view());
    if (!expectedDate_.isEmpty() && run_.date.left(5) != expectedDate_) {
        found.append({fileName_, date.number,
                      QStringLiteral("the run is dated %1 but the file name says %2")
                          .arg(run_.date, expectedDate_)});
    }
}

// The start of an opening block or a record that stops short: up to the next record or run.
void RecordParser::skipIncomplete(const QString &what)
{
    const qint64 first = take().number;
    qint64 last = first;
    while (ahead_.has(0) && !breaksBetweenRecords(0))
        last = take().number;
    problem(first, (QStringLiteral("incomplete ") + what).arg(first).arg(last), false, last);
}

void RecordParser::skipLinesThatFitNoRecord()
{
    const LineSource::Line first = take();
    const QString firstText = source().text(first);
    qint64 last = first.number;
    while (ahead_.has(0) && !breaksBetweenRecords(0) && !startsPartialStart(0))
        last = take().number;
    reportFitNoRecord(first.number, last, firstText);
}

void RecordParser::reportFitNoRecord(qint64 first, qint64 last, const QString &text)
{
    if (first == last) {
        problem(first, QStringLiteral("this line fits no record (an edit by hand?): \"%1\"")
                           .arg(text.left(60)));
    } else {
        problem(first,
                QStringLiteral("lines %1 to %2 fit no record (an edit by hand?), the "
                               "first: \"%3\"")
                    .arg(first)
                    .arg(last)
                    .arg(text.left(60)),
                false, last);
    }
}

// Lines after a record's last closing rule, before the next record or run: what a crash left of
// a record's start, or lines added by hand.
void RecordParser::reportAfterText(qint64 first, qint64 last, const QString &text, bool recordStart)
{
    if (!recordStart) {
        reportFitNoRecord(first, last, text);
        return;
    }
    problem(first,
            QStringLiteral("incomplete record (lines %1 to %2): it stops before its "
                           "response or note")
                .arg(first)
                .arg(last),
            false, last);
}

void RecordParser::reportIncomplete(const Record &record, qint64 lastLine, const QString &missing)
{
    problem(record.line,
            QStringLiteral("incomplete record (lines %1 to %2): %3")
                .arg(record.line)
                .arg(lastLine)
                .arg(missing),
            false, lastLine);
}

void RecordParser::parseRecord()
{
    Reading reading;
    entry_->clear();
    // A record of a form the file does not hold (a file renamed) is read in the form its lines
    // have.
    const RecordLayout::Form form = layout_.form(0, {}).value_or(RecordLayout::Form::SendResponse);
    if (form != RecordLayout::Form::Notes && !layout_.holds(form) && !responseRead_) {
        // The file's first response is of another form than its name says: the name is wrong.
        layout_.alsoHold(form);
        problem(ahead_.number(0),
                QStringLiteral("this record is written as in a %1 file, though the file's name is "
                               "not one: the file is read as holding such records")
                    .arg(form == RecordLayout::Form::MasterResponse ? QStringLiteral("master")
                                                                    : QStringLiteral("send")),
                true);
    }
    responseRead_ = responseRead_ || form != RecordLayout::Form::Notes;
    std::optional<RecordLayout::Start> start = layout_.start(0);
    if (start && start->form != form)
        start.reset();
    readStamps(reading, form);
    if (!readEntry(reading, start) || !readHead(reading) || !readBody(reading, start)) {
        reading.record.complete = false;
        reportIncomplete(reading.record, reading.last, reading.missing);
    }
    finishRecord(reading.record);
}

// The opening rule, the time stamp and what the form has before the entry.
void RecordParser::readStamps(Reading &reading, RecordLayout::Form form)
{
    reading.record.line = take().number;
    const LineSource::Line stamp = take();
    reading.last = stamp.number;
    reading.record.time = QString::fromLatin1(bytesOf(stamp).view().sliced(stampIndent.size()));
    if (form == RecordLayout::Form::Notes) {
        const LineSource::Line dateAndTime = take();
        reading.notes = true;
        reading.record.dateAndTime =
            QString::fromLatin1(bytesOf(dateAndTime).view().sliced(stampIndent.size()));
        reading.last = dateAndTime.number;
    } else if (form == RecordLayout::Form::MasterResponse) {
        take();
        take();
        const LineSource::Line number = take();
        reading.questionNumber = questionNumberOf(bytesOf(number).view());
        reading.last = number.number;
    }
}

// The recorded entry runs to the second opening rule: where the layout found it, or else up to
// the next opening rule that starts no record.
bool RecordParser::readEntry(Reading &reading, const std::optional<RecordLayout::Start> &start)
{
    JoinedLines &lines = *entry_;
    if (start) {
        for (qsizetype i = start->entry; i < start->rule; ++i) {
            const LineSource::Line line = take();
            lines.add(line);
        }
        reading.last = take().number;
    } else {
        for (;;) {
            if (!ahead_.has(0) || startsRecord(0) || layout_.startsValidBlock(0)) {
                reading.record.recordedLine = source().decode(lines.bytes().view());
                lines.clear(); // an entry cut short is not looked up as written
                reading.missing =
                    QStringLiteral("it stops inside its recorded line (no second opening rule)");
                return false;
            }
            const LineSource::Line taken = take();
            reading.last = taken.number;
            if (isOpeningRule(bytesOf(taken).view()))
                break;
            lines.add(taken);
        }
    }
    Record &record = reading.record;
    record.assignment = run_.assignment;
    if (reading.questionNumber >= 0) {
        record.assignment = int(reading.questionNumber / 10000);
        record.question = int(reading.questionNumber % 10000);
        record.questionFromFile = true;
    }
    return true;
}

bool RecordParser::readHead(Reading &reading)
{
    if (!ahead_.has(0) || layout_.startsInText(0)) {
        reading.missing =
            QStringLiteral("it stops after its recorded line (no response or note follows)");
        return false;
    }
    const QByteArrayView head = ahead_.bytes(0).view();
    if (notesTextStart(head) >= 0)
        reading.notes = true; // the label is taken off with the first line of the note
    else if (!reading.notes && isResponseHead(head))
        reading.last = take().number;
    else
        reading.missingHead = ahead_.number(0); // read as the first line of the text
    return true;
}

// The typed text, up to the first closing rule that the layout allows and that the next record
// or run follows; or, when a whole record or run starts within the text (a crash cut it short),
// or a record with its head right after a closing rule (no typed text has that), up to the last
// closing rule that the layout allows before it, the lines after that fitting no record.
bool RecordParser::readBody(Reading &reading, const std::optional<RecordLayout::Start> &start)
{
    using Closing = RecordLayout::Closing;
    const Closing closing = reading.notes               ? Closing::AfterText
                            : start                     ? start->closing
                            : entry_->bytes().isEmpty() ? Closing::AfterText
                                                        : Closing::AfterRating;
    Body body(source(), source().lineLimit(), closing);
    body.noteLabel = reading.notes;
    body_ = &body.lines;
    while (!body.clean && ahead_.has(0) && !layout_.startsInText(0) &&
           !(body.afterRule && layout_.startsHeaded(0)))
        takeBodyLine(reading, body);
    const bool closed = closeBody(reading, body);
    body_ = nullptr;
    return closed;
}

void RecordParser::takeBodyLine(Reading &reading, Body &body)
{
    const LineSource::Line taken = take();
    reading.last = taken.number;
    const LineBytes bytes = bytesOf(taken);
    qsizetype label = 0;
    if (body.noteLabel && body.count == 0)
        label = qMax<qsizetype>(0, notesTextStart(bytes.view()));
    if (RecordLayout::closes(body.closing, body.count, body.lastRating, bytes.view())) {
        body.end = body.lines.mark();
        body.endLine = taken.number;
        body.after.clear();
        body.lines.add(taken, label);
        ++body.count;
        body.lastRating = Rating::None;
        body.clean = layout_.followsRecord(0);
        return;
    }
    // A closing rule after a rating that did not close the text: the rating is of the other kind.
    if (body.otherRating == 0 && body.count >= 2 && body.lastRating != Rating::None &&
        isClosingRule(bytes.view()))
        body.otherRating = taken.number - 1;
    const bool rule = !bytes.isEmpty() && QByteArrayView(openingRule).startsWith(bytes.view());
    const bool wholeRule = isOpeningRule(bytes.view());
    const QString text = body.end ? source().text(taken) : QString();
    body.lastRating = ratingOf(bytes.view());
    body.afterRule = isClosingRule(bytes.view());
    body.lines.add(taken, label);
    ++body.count;
    if (body.end && (body.after.isEmpty() ||
                     (wholeRule && ahead_.has(0) && isTimeStamp(ahead_.bytes(0).view()))))
        body.after.append({taken.number, text, rule});
}

bool RecordParser::closeBody(Reading &reading, Body &body)
{
    const bool rated = body.closing != RecordLayout::Closing::AfterText;
    if (body.lines.overflowed())
        problem(reading.record.line,
                QStringLiteral("the text of this record is longer than %1: only that much of it "
                               "is kept")
                    .arg(sizeText(source().lineLimit())));
    if (!body.end) {
        setResponse(reading.record, body.lines.bytes().view(), source(), keepText_);
        reading.missing = rated ? QStringLiteral("it has no rating line and closing rule")
                                : QStringLiteral("it has no closing rule");
        if (const char *wanted =
                body.closing == RecordLayout::Closing::AfterConfidence     ? "confidence"
                : body.closing == RecordLayout::Closing::AfterSelfCritique ? "self-critique"
                                                                           : nullptr;
            wanted && body.otherRating > 0)
            reading.missing = QStringLiteral("its entry calls for a %1 rating, and the rating "
                                             "line before its closing rule (line %2) is not one")
                                  .arg(QLatin1String(wanted))
                                  .arg(body.otherRating);
        return false;
    }
    for (qsizetype i = 0; i < body.after.size(); ++i) {
        const Body::After &part = body.after[i];
        reportAfterText(part.first,
                        i + 1 < body.after.size() ? body.after[i + 1].first - 1 : reading.last,
                        part.text, part.record);
    }
    body.lines.restore(*body.end);
    reading.last = body.endLine;
    Record &record = reading.record;
    if (reading.notes) {
        record.kind = RecordKind::Note;
    } else if (rated && !body.lines.isEmpty()) {
        const QByteArrayView line = body.lines.last().view();
        const Rating rating = ratingOf(line);
        record.kind = rating == Rating::Confidence ? RecordKind::Question : RecordKind::Answer;
        record.hasRatingLine = true;
        record.ratingTyped = source().decode(typedRating(line));
        record.rating = ratingNumber(record.ratingTyped);
        body.lines.dropLast();
    }
    setResponse(record, body.lines.bytes().view(), source(), keepText_);
    if (reading.notes && record.dateAndTime.isEmpty())
        problem(record.line, QStringLiteral("this notes record has no date-and-time stamp"));
    if (reading.missingHead > 0) {
        problem(reading.missingHead,
                QStringLiteral("expected \"%1\" here; the line is read as the first line of "
                               "the response")
                    .arg(reading.notes ? text::notesLabel.trimmed().toString()
                                       : text::responseHead.trimmed().toString()));
    }
    return true;
}

// Names the record's question and hands it on.
void RecordParser::finishRecord(Record &record)
{
    if (!record.questionFromFile)
        record.assignment = run_.assignment;
    // Taken as written first; only a line that is not found so is decoded and looked up again.
    std::optional<QuestionIndex::Place> place;
    if (const LineBytes entry = entry_->bytes(); !entry.isEmpty()) {
        place = index_.findBytes(entry.view(), record.assignment);
        record.recordedLine = place ? place->text : source().decode(entry.view());
    }
    if (!place)
        place = index_.find(record.recordedLine, record.assignment);
    if (place && !record.questionFromFile) {
        record.assignment = place->assignment;
        record.question = place->question;
    }
    // Without a rating line (nothing marked was shown yet, or the line was lost) the entry
    // tells whether a question or a worked answer was answered.
    if (place && record.kind == RecordKind::Response && !record.hasRatingLine)
        record.kind = place->kind == QuestionIndex::EntryKind::Answer ? RecordKind::Answer
                                                                      : RecordKind::Question;
    if (!place && !record.questionFromFile && !record.recordedLine.isEmpty() && record.complete) {
        problem(record.line,
                QStringLiteral("the recorded line of this record matches no question or "
                               "worked answer of the built-in assignments: \"%1\"")
                    .arg(record.recordedLine.left(60)));
    }
    if (record.complete && record.hasRatingLine && !record.rating) {
        problem(record.line + 1,
                record.ratingTyped.isEmpty()
                    ? QStringLiteral("no rating was given (the prompt was cancelled)")
                    : QStringLiteral("the rating \"%1\" is not a number from 0 to 3; it is kept "
                                     "as typed")
                          .arg(record.ratingTyped),
                true);
    }
    if (!haveRun_ && !reportedNoRun_ && kind_ != FileKind::Notes) {
        reportedNoRun_ = true;
        problem(record.line, QStringLiteral("records before any opening block: their run has "
                                            "no code line, assignment or date"));
    }
    checkTimeOrder(record);
    if (handlers_->record)
        handlers_->record(run_, std::move(record));
}

// A run's records are written in the order of the clicks, the clock read for each: a record
// whose time stamp is earlier than the one before it was typed into a response (where it
// cannot be told from a record by its bytes), or the clock was set back. A run that goes on
// past midnight starts again at 00:00; a notes file's notes are ordered by their dates too.
void RecordParser::checkTimeOrder(const Record &record)
{
    const bool dated = kind_ == FileKind::Notes;
    QString stamp = dated ? record.dateAndTime : record.time;
    if (dated && stamp.size() == 18)
        stamp = stamp.mid(6, 4) + stamp.left(5) + stamp.mid(10);
    const QTime time = QTime::fromString(record.time, QStringLiteral("HH:mm:ss"));
    const QTime before = QTime::fromString(lastTime_.right(8), QStringLiteral("HH:mm:ss"));
    const bool backwards =
        !lastTime_.isEmpty() && stamp < lastTime_ &&
        (dated || (time.isValid() && before.isValid() && time.secsTo(before) < 12 * 60 * 60));
    if (backwards) {
        problem(record.line,
                QStringLiteral("this record's time stamp (%1) is earlier than that of the record "
                               "before it (line %2, %3): a record typed or pasted into a "
                               "response, or the clock set back")
                    .arg(record.time)
                    .arg(lastTimeLine_)
                    .arg(lastTime_.right(8)));
    }
    if (!stamp.isEmpty()) {
        lastTime_ = stamp;
        lastTimeLine_ = record.line;
    }
}

void RecordParser::reportFormat()
{
    using LineEnds = LineSource::LineEnds;
    using Encoding = LineSource::Encoding;
    const LineSource &s = source();
    if (s.readFailed())
        problem(0, QStringLiteral("reading stopped early: %1").arg(s.readError()));
    if (s.lineEnds() == LineEnds::Lf)
        problem(0,
                QStringLiteral("line ends are LF only, not CR LF (converted by a mail program "
                               "or an editor); read as such"),
                true);
    else if (s.lineEnds() == LineEnds::Cr)
        problem(0,
                QStringLiteral("line ends are CR only, not CR LF (converted by a mail program "
                               "or an editor); read as such"),
                true);
    if (s.foreignLineEnds() > 0)
        problem(s.firstForeignLineEnd(),
                QStringLiteral("%1 line(s) with other line ends than the rest of the file, the "
                               "first here: the file has been edited or pieced together")
                    .arg(s.foreignLineEnds()));
    if (s.doubledCarriageReturns() > 0)
        problem(s.firstDoubledCarriageReturn(),
                QStringLiteral("%1 line(s) end in CR CR LF, the first here (a write cut short "
                               "between CR and LF and closed by the next record, or a transfer "
                               "that doubled the CR); the extra CR is read as part of the line "
                               "end")
                    .arg(s.doubledCarriageReturns()),
                true);
    if (s.encoding() == Encoding::Utf8)
        problem(0,
                QStringLiteral("the file was re-saved as UTF-8 (it is written as "
                               "Windows-1252); read as UTF-8"),
                true);
    else if (s.encoding() == Encoding::Utf8WithBom)
        problem(0,
                QStringLiteral("the file was re-saved as UTF-8 with a byte-order mark (it is "
                               "written as Windows-1252); read as UTF-8"),
                true);
    if (s.invalidUtf8Lines() > 0)
        problem(s.firstInvalidUtf8Line(),
                QStringLiteral("%1 line(s) are not UTF-8 like the rest of the file, the first "
                               "here; they are read as Windows-1252")
                    .arg(s.invalidUtf8Lines()));
    if (s.endsInsideLine())
        problem(0, QStringLiteral("the last line has no line end"), true);
}

} // namespace report
