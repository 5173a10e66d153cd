// SPDX-License-Identifier: MIT
#include "report/recordparser.h"

#include "records/codepage.h"
#include "records/linecoding.h"
#include "records/recordcomposition.h"
#include "report/questionindex.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <span>

namespace report {

namespace {

namespace text = records::fixedtext;

// The fixed texts are ASCII: a line is tested on its bytes, in Windows-1252 and UTF-8 alike.
const QByteArray title("bexlorin");
const QByteArray openingRule = text::openingRule.toLatin1();
const QByteArray closingRule = text::closingRule.toLatin1();
const QByteArray stampIndent = text::stampIndent.toLatin1();
const QByteArray responseHead = text::responseHead.toLatin1();
const QByteArray confidenceLabel = text::confidenceLabel.toLatin1();
const QByteArray selfCritiqueLabel = text::selfCritiqueLabel.toLatin1();
const QByteArray notesLabel = text::notesLabel.toLatin1();
const QByteArray questionNumberLabel = text::questionNumberLabel.toLatin1() + ' ';
const QByteArray assignmentLabel = text::assignmentLabel.toLatin1();
const QByteArray lineEnd("\r\n");

// Cheap tests first: they run on every line of every record.
bool isOpeningRule(QByteArrayView line)
{
    return line.size() == openingRule.size() && line.front() == '.' && line == openingRule;
}

bool isAssignmentLine(QByteArrayView line)
{
    return line.size() >= assignmentLabel.size() && line.front() == 'a' &&
           line.startsWith(assignmentLabel);
}

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

// The number of "assignment #NNN"; 0 when it does not read as one.
int assignmentNumberOf(QStringView line)
{
    bool ok = false;
    const int number = line.mid(text::assignmentLabel.size()).trimmed().toInt(&ok);
    return ok ? number : 0;
}

// "`questionNumber N " with N = assignment * 10000 + question; -1 when it is not one.
qint64 questionNumberOf(QByteArrayView line)
{
    if (line.size() <= questionNumberLabel.size() || !line.startsWith(questionNumberLabel) ||
        !line.endsWith(' '))
        return -1;
    const QByteArrayView digits = line.sliced(questionNumberLabel.size()).chopped(1);
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

// A code line holds only characters of code 66 or more, and never 117.
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

std::optional<int> ratingNumber(const QString &typed)
{
    const QString trimmed = typed.trimmed();
    if (trimmed.size() == 1 && trimmed[0] >= u'0' && trimmed[0] <= u'3')
        return trimmed[0].unicode() - u'0';
    return std::nullopt;
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
        const QByteArrayView text = source_.bytes(line).sliced(skip);
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
        if (!inPlace_)
            bytes_.truncate(size_);
    }
    bool isEmpty() const { return count_ == 0; }
    bool overflowed() const { return overflow_; }
    // The first byte of the file it still needs, -1 for none.
    qint64 heldFrom() const { return inPlace_ && count_ > 0 ? start_ : -1; }
    QByteArrayView bytes() const
    {
        if (count_ == 0)
            return {};
        return inPlace_ ? source_.bytes(start_, size_) : QByteArrayView(bytes_);
    }
    QByteArrayView last() const { return bytes().sliced(lastStart_); }
    void dropLast()
    {
        size_ = count_ > 1 ? lastStart_ - lineEnd.size() : 0;
        if (!inPlace_)
            bytes_.truncate(size_);
        count_ = count_ > 1 ? 1 : 0; // what is left counts as one line from now on
        lastStart_ = 0;
    }
    void clear()
    {
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
        bytes_ = count_ > 1 ? source_.bytes(start_, size_).toByteArray() : QByteArray();
        inPlace_ = false;
    }

    const LineSource &source_;
    qsizetype limit_;
    bool inPlace_ = true;
    qint64 start_ = 0; // in place: where the text starts in the file
    QByteArray bytes_; // otherwise: the text
    qsizetype size_ = 0;
    qsizetype lastStart_ = 0;
    qsizetype count_ = 0;
    bool overflow_ = false;
};

namespace {

using JoinedLines = RecordParser::JoinedLines;

bool isRatingLine(QByteArrayView line)
{
    return line.startsWith(confidenceLabel) || line.startsWith(selfCritiqueLabel);
}

QString sizeText(qsizetype bytes)
{
    constexpr qsizetype mebibyte = 1024 * 1024;
    return bytes % mebibyte == 0 ? QStringLiteral("%1 MiB").arg(bytes / mebibyte)
                                 : QStringLiteral("%1 bytes").arg(bytes);
}

// How far a look for a pasted record goes before it takes what it sees for the real thing.
constexpr qsizetype pasteLookLines = 4096;
constexpr qint64 pasteLookBytes = 64 * 1024 * 1024;

} // namespace

// The parts of each kind of record after its opening rule and time stamp, in the order the
// drill program writes them. A stricter rule for a kind is a change here.
enum class RecordParser::Part { DateAndTimeStamp, QuestionNumber, Entry, Head, Body };

namespace {

using Part = RecordParser::Part;
constexpr std::array sendResponseLayout{Part::Entry, Part::Head, Part::Body};
constexpr std::array masterResponseLayout{Part::QuestionNumber, Part::Entry, Part::Head,
                                          Part::Body};
constexpr std::array notesLayout{Part::DateAndTimeStamp, Part::Entry, Part::Head, Part::Body};

} // namespace

// One record while its parts are read.
struct RecordParser::Reading
{
    Record record;
    qint64 last = 0; // the last line taken
    bool notes = false;
    qint64 questionNumber = -1;
    qint64 missingHead = 0; // the line where the response head should be
    QString missing;        // what an incomplete record lacks
    bool keepText = true;
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

// The last line of a response record is its rating line, if it has one.
void takeRating(RecordParser::Reading &reading, JoinedLines &lines, const LineSource &source)
{
    Record &record = reading.record;
    if (reading.notes) {
        record.kind = RecordKind::Note;
    } else if (!lines.isEmpty() && isRatingLine(lines.last())) {
        const QByteArrayView line = lines.last();
        const bool confidence = line.startsWith(confidenceLabel);
        record.kind = confidence ? RecordKind::Question : RecordKind::Answer;
        record.hasRatingLine = true;
        record.ratingTyped = source.decode(
            line.sliced(confidence ? confidenceLabel.size() : selfCritiqueLabel.size()));
        record.rating = ratingNumber(record.ratingTyped);
        lines.dropLast();
    }
    setResponse(record, lines.bytes(), source, reading.keepText);
}

} // namespace

// The typed text of a record while it is read: where the last closing rule that the layout
// allows stands, and the first line after it.
struct RecordParser::Body
{
    Body(const LineSource &source, qsizetype limit, bool rated)
        : lines(source, limit)
        , rated(rated)
    {}
    bool justEnded() const { return end && firstAfter == 0; }

    JoinedLines lines;
    qint64 pastedThrough = 0; // the last line of records pasted into the text
    bool rated;               // a rating line comes before the closing rule
    std::optional<JoinedLines::Mark> end;
    qint64 endLine = 0;
    qint64 firstAfter = 0;
    QString firstAfterText;
};

RecordParser::RecordParser(QIODevice &device, const QString &fileName, FileKind kind,
                           const QuestionIndex &index, QString expectedDate, qsizetype lineLimit)
    : source_(device, lineLimit)
    , fileName_(fileName)
    , kind_(kind)
    , index_(index)
    , expectedDate_(std::move(expectedDate))
    , ahead_(8)
    , entry_(std::make_unique<JoinedLines>(source_, source_.lineLimit()))
{}

RecordParser::~RecordParser() = default;

const LineSource::Line *RecordParser::readAhead(qsizetype ahead)
{
    while (aheadCount_ <= ahead && !sourceDone_) {
        if (aheadCount_ == qsizetype(ahead_.size())) {
            std::rotate(ahead_.begin(), ahead_.begin() + aheadFirst_, ahead_.end());
            aheadFirst_ = 0;
            ahead_.resize(ahead_.size() * 2);
        }
        LineSource::Line &line = ahead_[std::size_t((aheadFirst_ + aheadCount_) & aheadMask())];
        if (!source_.next(line)) {
            sourceDone_ = true;
            break;
        }
        ++aheadCount_;
        aheadBytes_ += line.length;
        if (line.droppedLength > 0) {
            problem(line.number, QStringLiteral("this line is longer than the limit of %1 "
                                                "(%2 bytes): it is left out")
                                     .arg(sizeText(source_.lineLimit()))
                                     .arg(line.droppedLength));
        }
    }
    return aheadCount_ > ahead ? &ahead_[std::size_t((aheadFirst_ + ahead) & aheadMask())]
                               : nullptr;
}

LineSource::Line RecordParser::take()
{
    peek(0);
    // A shared copy: the place keeps the storage for a later line once this one is let go.
    LineSource::Line line = ahead_[std::size_t(aheadFirst_)];
    aheadFirst_ = (aheadFirst_ + 1) & aheadMask();
    --aheadCount_;
    aheadBytes_ -= line.length;
    // The line stays readable until the next one is taken, and the record's joined lines for
    // as long as they stand on the file's bytes.
    qint64 keep = line.offset;
    for (const JoinedLines *lines : {entry_.get(), body_}) {
        if (lines && lines->heldFrom() >= 0)
            keep = qMin(keep, lines->heldFrom());
    }
    source_.release(keep);
    return line;
}

// An opening rule followed by a time stamp.
bool RecordParser::startsRecord(qsizetype ahead)
{
    const auto *rule = peek(ahead);
    if (!rule || !isOpeningRule(bytesOf(*rule)))
        return false;
    const auto *stamp = peek(ahead + 1);
    return stamp && isTimeStamp(bytesOf(*stamp));
}

// The opening block of a run as only the drill program writes it: a valid code line,
// "assignment #NNN", that assignment's head line from the bank, and the title.
bool RecordParser::startsValidBlock(qsizetype ahead)
{
    const auto *assignment = peek(ahead + 1);
    if (!assignment || !isAssignmentLine(bytesOf(*assignment)) || !peek(ahead + 3))
        return false;
    const auto *code = peek(ahead);
    const auto *head = peek(ahead + 2);
    const auto *title = peek(ahead + 3);
    if (bytesOf(*title) != ::report::title)
        return false;
    const QString headLine = index_.headLine(assignmentNumberOf(source_.text(*assignment)));
    return !headLine.isEmpty() && source_.text(*head).trimmed() == headLine &&
           isValidCodeLine(source_.text(*code));
}

// Between records, an opening block is taken as it comes: a code line, "assignment #", a head
// line and the title; or the same without the code line. What is wrong with it is reported.
bool RecordParser::startsLooseBlock(qsizetype ahead, bool *withCodeLine)
{
    peek(ahead + 3);
    const auto *first = peek(ahead);
    const auto *second = peek(ahead + 1);
    if (!first || !second)
        return false;
    const bool firstIsAssignment = isAssignmentLine(bytesOf(*first));
    if (!firstIsAssignment && !isAssignmentLine(bytesOf(*second)))
        return false;
    const auto *third = peek(ahead + 2);
    const auto *fourth = peek(ahead + 3);
    if (!firstIsAssignment && fourth && bytesOf(*fourth) == ::report::title) {
        *withCodeLine = true;
        return true;
    }
    if (firstIsAssignment && third && bytesOf(*third) == ::report::title) {
        *withCodeLine = false;
        return true;
    }
    return false;
}

// What an interrupted write leaves of the start of an opening block or a record.
bool RecordParser::startsPartialStart(qsizetype ahead)
{
    peek(ahead + 1);
    const auto *first = peek(ahead);
    const auto *next = peek(ahead + 1);
    if (!first)
        return false;
    return bytesOf(*first).startsWith(assignmentLabel) ||
           (next && bytesOf(*next).startsWith(assignmentLabel)) ||
           (!bytesOf(*first).isEmpty() && openingRule.startsWith(bytesOf(*first)));
}

// Inside a record only what the drill program writes ends it: a record start or a valid
// opening block.
bool RecordParser::breaksRecord(qsizetype ahead)
{
    return startsRecord(ahead) || startsValidBlock(ahead);
}

bool RecordParser::breaksBetweenRecords(qsizetype ahead)
{
    bool withCodeLine = false;
    return startsRecord(ahead) || startsLooseBlock(ahead, &withCodeLine);
}

// A record start inside a response, where no closing rule ended the response just before:
// real (the response was cut short there and the next record written after it) when the
// records it starts end, each at a closing rule after a rating line, followed by the next
// record or run or the end of the file; pasted into the response when the response goes on
// after one of them. Gives the line of that last pasted closing rule, 0 for real. Past the
// look's bounds it is taken for real. Lines once looked through are not looked through again.
qint64 RecordParser::pastedThrough(qsizetype ahead)
{
    if (genuineThrough_ == std::numeric_limits<qint64>::max())
        return 0;
    const qint64 first = peek(ahead)->number;
    qsizetype i = qMax(ahead + 2, ahead + qsizetype(genuineThrough_ - first) + 1);
    for (; i - ahead < pasteLookLines && aheadBytes_ < pasteLookBytes; ++i) {
        const auto *line = peek(i);
        if (!line || (bytesOf(*line) == closingRule && isRatingLine(bytesOf(*peek(i - 1))) &&
                      !peek(i + 1))) {
            genuineThrough_ = std::numeric_limits<qint64>::max();
            return 0;
        }
        if (bytesOf(*line) != closingRule || !isRatingLine(bytesOf(*peek(i - 1))))
            continue;
        if (!breaksRecord(i + 1))
            return first + (i - ahead);
        genuineThrough_ = first + (i - ahead);
    }
    return 0;
}

// What a cut leaves of the start of a record (its opening rule, or that and part of its time
// stamp), then the next record or run.
bool RecordParser::startsCutRule(qsizetype ahead)
{
    peek(ahead + 2);
    const auto *rule = peek(ahead);
    if (!rule || bytesOf(*rule).isEmpty() || !openingRule.startsWith(bytesOf(*rule)))
        return false;
    const auto *stamp = peek(ahead + 1);
    if (stamp && !bytesOf(*stamp).isEmpty() && bytesOf(*stamp).size() < stampIndent.size() + 8 &&
        (stampIndent.startsWith(bytesOf(*stamp)) || bytesOf(*stamp).startsWith(stampIndent)))
        ++ahead;
    return !peek(ahead + 1) || breaksRecord(ahead + 1);
}

// Right after a record, an opening block that does not add up (no code line, an invalid one)
// still starts a run when the next record or run, or the end of the file, follows it.
bool RecordParser::startsLooseRun(qsizetype ahead)
{
    bool withCodeLine = false;
    if (!startsLooseBlock(ahead, &withCodeLine))
        return false;
    qsizetype next = ahead + (withCodeLine ? 4 : 3);
    if (const auto *date = peek(next); date && isDate(bytesOf(*date)))
        ++next;
    return !peek(next) || breaksBetweenRecords(next);
}

void RecordParser::problem(qint64 line, const QString &text, bool notice)
{
    if (handlers_->problem)
        handlers_->problem({fileName_, line, text, notice});
}

void RecordParser::parse(const Handlers &handlers)
{
    handlers_ = &handlers;
    while (peek(0)) {
        bool withCodeLine = false;
        if (startsRecord(0)) {
            parseRecord();
        } else if (startsLooseBlock(0, &withCodeLine)) {
            parseOpeningBlock(withCodeLine);
        } else if (startsPartialStart(0)) {
            skipIncomplete(bytesOf(*peek(0)).startsWith('.')
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
    // The run's problems follow the run, so that they are counted against it.
    QList<Problem> found;
    readCodeLine(withCodeLine, found);
    const QString assignmentLine = source_.text(take());
    run_.assignmentText = assignmentLine.mid(text::assignmentLabel.size());
    run_.assignment = assignmentNumberOf(assignmentLine);
    run_.headLine = source_.text(take());
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
        run_.line = peek(0)->number;
        found.append({fileName_, run_.line,
                      QStringLiteral("this run has no code line before \"%1\": its code number "
                                     "is unknown")
                          .arg(source_.text(*peek(0)))});
        return;
    }
    const LineSource::Line code = take();
    run_.line = code.number;
    run_.codeLine = source_.text(code);
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
    const LineSource::Line *date = peek(0);
    if (!date || !isDate(bytesOf(*date))) {
        found.append({fileName_, run_.line,
                      QStringLiteral("the opening block of this run has no date line")});
        return;
    }
    run_.date = QString::fromLatin1(bytesOf(*date));
    const qint64 dateLine = take().number;
    if (!expectedDate_.isEmpty() && run_.date.left(5) != expectedDate_) {
        found.append({fileName_, dateLine,
                      QStringLiteral("the run is dated %1 but the file name says %2")
                          .arg(run_.date, expectedDate_)});
    }
}

// The start of an opening block or a record that stops short: up to the next record or run.
void RecordParser::skipIncomplete(const QString &what)
{
    const qint64 first = take().number;
    qint64 last = first;
    while (peek(0) && !breaksBetweenRecords(0))
        last = take().number;
    problem(first, (QStringLiteral("incomplete ") + what).arg(first).arg(last));
}

void RecordParser::skipLinesThatFitNoRecord()
{
    const LineSource::Line first = take();
    const QString firstText = source_.text(first);
    qint64 last = first.number;
    while (peek(0) && !breaksBetweenRecords(0) && !startsPartialStart(0))
        last = take().number;
    reportFitNoRecord(first.number, last, firstText);
}

void RecordParser::reportFitNoRecord(qint64 first, qint64 last, const QString &text)
{
    if (first == last) {
        problem(first, QStringLiteral("this line fits no record (an edit by hand?): \"%1\"")
                           .arg(text.left(60)));
    } else {
        problem(first, QStringLiteral("lines %1 to %2 fit no record (an edit by hand?), the "
                                      "first: \"%3\"")
                           .arg(first)
                           .arg(last)
                           .arg(text.left(60)));
    }
}

void RecordParser::reportIncomplete(const Record &record, qint64 lastLine, const QString &missing)
{
    problem(record.line, QStringLiteral("incomplete record (lines %1 to %2): %3")
                             .arg(record.line)
                             .arg(lastLine)
                             .arg(missing));
}

void RecordParser::parseRecord()
{
    Reading reading;
    reading.keepText = keepText_;
    entry_->clear();
    reading.record.line = take().number;
    const LineSource::Line stamp = take();
    reading.last = stamp.number;
    reading.record.time = QString::fromLatin1(bytesOf(stamp).sliced(stampIndent.size()));
    // The layout is told by the line after the time stamp.
    peek(2);
    const auto *first = peek(0);
    const auto *second = peek(1);
    const auto *third = peek(2);
    const std::span<const Part> layout =
        first && isDateAndTimeStamp(bytesOf(*first)) ? std::span<const Part>(notesLayout)
        : third && bytesOf(*first).isEmpty() && bytesOf(*second).isEmpty() &&
                questionNumberOf(bytesOf(*third)) >= 0
            ? std::span<const Part>(masterResponseLayout)
            : std::span<const Part>(sendResponseLayout);
    for (const Part part : layout) {
        if (!readPart(part, reading)) {
            reading.record.complete = false;
            reportIncomplete(reading.record, reading.last, reading.missing);
            break;
        }
    }
    finishRecord(reading.record);
}

bool RecordParser::readPart(Part part, Reading &reading)
{
    switch (part) {
    case Part::DateAndTimeStamp: {
        const LineSource::Line stamp = take();
        reading.notes = true;
        reading.record.dateAndTime = QString::fromLatin1(bytesOf(stamp).sliced(stampIndent.size()));
        reading.last = stamp.number;
        return true;
    }
    case Part::QuestionNumber:
        take();
        take();
        reading.questionNumber = questionNumberOf(bytesOf(*peek(0)));
        reading.last = take().number;
        return true;
    case Part::Entry:
        return readEntry(reading);
    case Part::Head:
        return readHead(reading);
    case Part::Body:
        return readBody(reading);
    }
    return false;
}

// The recorded entry runs to the second opening rule.
bool RecordParser::readEntry(Reading &reading)
{
    JoinedLines &lines = *entry_;
    for (;;) {
        const auto *line = peek(0);
        if (!line || breaksRecord(0)) {
            reading.record.recordedLine = source_.decode(lines.bytes());
            lines.clear(); // an entry cut short is not looked up as written
            reading.missing =
                QStringLiteral("it stops inside its recorded line (no second opening rule)");
            return false;
        }
        const LineSource::Line taken = take();
        reading.last = taken.number;
        if (isOpeningRule(bytesOf(taken)))
            break;
        lines.add(taken);
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
    const auto *head = peek(0);
    if (!head || breaksRecord(0)) {
        reading.missing =
            QStringLiteral("it stops after its recorded line (no response or note follows)");
        return false;
    }
    if (bytesOf(*head).startsWith(notesLabel))
        reading.notes = true; // the label is taken off with the first line of the note
    else if (bytesOf(*head) == responseHead)
        reading.last = take().number;
    else
        reading.missingHead = head->number; // read as the first line of the response
    return true;
}

// The typed text, up to the last closing rule that the layout allows (after a rating line
// when the record has one) before the next record or run. Lines after that closing rule are
// lines that fit no record.
bool RecordParser::readBody(Reading &reading)
{
    Body body(source_, source_.lineLimit(), !reading.notes && !entry_->bytes().isEmpty());
    body_ = &body.lines;
    for (bool first = true; peek(0); first = false) {
        if (peek(0)->number > body.pastedThrough && endsBody(body))
            break;
        takeBodyLine(reading, body, first);
    }
    const bool closed = closeBody(reading, body);
    body_ = nullptr;
    return closed;
}

// Right after a closing rule, the next record or run (or what a cut left of it) ends the text;
// elsewhere a record start ends it only when it is no paste, which is then let through whole.
bool RecordParser::endsBody(Body &body)
{
    if (body.justEnded())
        return breaksRecord(0) || startsCutRule(0) || startsLooseRun(0);
    if (!breaksRecord(0))
        return false;
    body.pastedThrough = pastedThrough(0);
    return body.pastedThrough == 0;
}

void RecordParser::takeBodyLine(Reading &reading, Body &body, bool first)
{
    const LineSource::Line taken = take();
    reading.last = taken.number;
    QByteArrayView bytes = bytesOf(taken);
    qsizetype label = 0;
    if (first && reading.notes && bytes.startsWith(notesLabel)) {
        label = notesLabel.size();
        bytes = bytes.sliced(label);
    }
    if (!first && bytes == closingRule && (!body.rated || isRatingLine(body.lines.last()))) {
        body.end = body.lines.mark();
        body.endLine = taken.number;
        body.firstAfter = 0;
    } else if (body.justEnded()) {
        body.firstAfter = taken.number;
        body.firstAfterText = source_.text(taken);
    }
    body.lines.add(taken, label);
}

bool RecordParser::closeBody(Reading &reading, Body &body)
{
    if (body.lines.overflowed())
        problem(reading.record.line,
                QStringLiteral("the text of this record is longer than %1: only that much of it "
                               "is kept")
                    .arg(sizeText(source_.lineLimit())));
    if (!body.end) {
        setResponse(reading.record, body.lines.bytes(), source_, keepText_);
        reading.missing = body.rated ? QStringLiteral("it has no rating line and closing rule")
                                     : QStringLiteral("it has no closing rule");
        return false;
    }
    if (body.firstAfter > 0)
        reportFitNoRecord(body.firstAfter, reading.last, body.firstAfterText);
    body.lines.restore(*body.end);
    reading.last = body.endLine;
    takeRating(reading, body.lines, source_);
    if (reading.notes && reading.record.dateAndTime.isEmpty())
        problem(reading.record.line,
                QStringLiteral("this notes record has no date-and-time stamp"));
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
    if (const QByteArrayView entry = entry_->bytes(); !entry.isEmpty()) {
        place = index_.findBytes(entry, record.assignment);
        record.recordedLine = place ? place->text : source_.decode(entry);
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
    if (handlers_->record)
        handlers_->record(run_, std::move(record));
}

void RecordParser::reportFormat()
{
    using LineEnds = LineSource::LineEnds;
    using Encoding = LineSource::Encoding;
    const LineSource &s = source_;
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
