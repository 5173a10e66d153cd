// SPDX-License-Identifier: MIT
#include "report/recordparser.h"

#include "records/codepage.h"
#include "records/linecoding.h"
#include "records/recordcomposition.h"
#include "report/questionindex.h"

#include <QRegularExpression>

#include <cstring>

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
bool isOpeningRule(const QByteArray &line)
{
    return line.size() == openingRule.size() && line.front() == '.' && line == openingRule;
}

bool isAssignmentLine(const QByteArray &line)
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

bool isStamp(const QByteArray &line, QByteArrayView form)
{
    return line.size() == stampIndent.size() + form.size() && line.startsWith(stampIndent) &&
           hasForm(QByteArrayView(line).sliced(stampIndent.size()), form);
}

bool isTimeStamp(const QByteArray &line)
{
    return isStamp(line, "99:99:99");
}

bool isDateAndTimeStamp(const QByteArray &line)
{
    return isStamp(line, "99-99-999999:99:99");
}

bool isDate(const QByteArray &line)
{
    return hasForm(line, "99-99-9999");
}

// "`questionNumber N " with N = assignment * 10000 + question; -1 when it is not one.
qint64 questionNumberOf(const QByteArray &line)
{
    if (!line.startsWith(questionNumberLabel) || !line.endsWith(' '))
        return -1;
    const QByteArrayView digits =
        QByteArrayView(line).sliced(questionNumberLabel.size()).chopped(1);
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

// Lines joined with CR LF as they come, as bytes: decoded once, whole. The last line can be
// taken off again, since it may turn out to be the rating line.
class JoinedLines
{
public:
    void add(QByteArrayView line)
    {
        const qsizetype start = bytes_.size();
        const qsizetype separator = count_ > 0 ? lineEnd.size() : 0;
        // Resize and copy: QByteArray::append goes the long way round for every line.
        bytes_.resize(start + separator + line.size());
        char *to = bytes_.data() + start;
        if (separator > 0)
            std::memcpy(to, lineEnd.data(), std::size_t(separator));
        std::memcpy(to + separator, line.data(), std::size_t(line.size()));
        lastStart_ = start + separator;
        ++count_;
    }
    bool isEmpty() const { return count_ == 0; }
    QByteArrayView last() const { return QByteArrayView(bytes_).sliced(lastStart_); }
    QByteArray takeLast()
    {
        const QByteArray taken = bytes_.mid(lastStart_);
        bytes_.truncate(count_ > 1 ? lastStart_ - lineEnd.size() : 0);
        count_ = count_ > 1 ? 1 : 0; // what is left counts as one line from now on
        lastStart_ = 0;
        return taken;
    }
    const QByteArray &bytes() const { return bytes_; }

private:
    QByteArray bytes_;
    qsizetype lastStart_ = 0;
    qsizetype count_ = 0;
};

} // namespace

RecordParser::RecordParser(QIODevice &device, const QString &fileName, FileKind kind,
                           const QuestionIndex &index, QString expectedDate)
    : source_(device)
    , fileName_(fileName)
    , kind_(kind)
    , index_(index)
    , expectedDate_(std::move(expectedDate))
{}

const LineSource::Line *RecordParser::peek(qsizetype ahead)
{
    const qsizetype size = qsizetype(ahead_.size());
    while (aheadCount_ <= ahead && !sourceDone_) {
        if (source_.next(ahead_[std::size_t((aheadFirst_ + aheadCount_) % size)]))
            ++aheadCount_;
        else
            sourceDone_ = true;
    }
    return aheadCount_ > ahead ? &ahead_[std::size_t((aheadFirst_ + ahead) % size)] : nullptr;
}

LineSource::Line RecordParser::take()
{
    peek(0);
    // A shared copy: the place keeps the storage for a later line once this one is let go.
    LineSource::Line line = ahead_[std::size_t(aheadFirst_)];
    aheadFirst_ = (aheadFirst_ + 1) % qsizetype(ahead_.size());
    --aheadCount_;
    return line;
}

// An opening rule followed by a time stamp.
bool RecordParser::startsRecord(qsizetype ahead)
{
    const auto *rule = peek(ahead);
    if (!rule || !isOpeningRule(rule->bytes))
        return false;
    const auto *stamp = peek(ahead + 1);
    return stamp && isTimeStamp(stamp->bytes);
}

// A code line, "assignment #", a head line and the title; or the same without the code line.
bool RecordParser::startsOpeningBlock(qsizetype ahead, bool *withCodeLine)
{
    const auto *first = peek(ahead);
    const auto *second = peek(ahead + 1);
    if (!first || !second)
        return false;
    const bool firstIsAssignment = isAssignmentLine(first->bytes);
    if (!firstIsAssignment && !isAssignmentLine(second->bytes))
        return false;
    const auto *third = peek(ahead + 2);
    const auto *fourth = peek(ahead + 3);
    if (!firstIsAssignment && fourth && fourth->bytes == title) {
        *withCodeLine = true;
        return true;
    }
    if (firstIsAssignment && third && third->bytes == title) {
        *withCodeLine = false;
        return true;
    }
    return false;
}

bool RecordParser::breaksRecord(qsizetype ahead)
{
    bool withCodeLine = false;
    return startsRecord(ahead) || startsOpeningBlock(ahead, &withCodeLine);
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
        } else if (startsOpeningBlock(0, &withCodeLine)) {
            parseOpeningBlock(withCodeLine);
        } else if (const auto *next = peek(1); peek(0)->bytes.startsWith(assignmentLabel) ||
                                               (next && next->bytes.startsWith(assignmentLabel))) {
            skipIncompleteOpeningBlock();
        } else if (openingRule.startsWith(peek(0)->bytes) && !peek(0)->bytes.isEmpty()) {
            skipIncompleteRecordStart();
        } else {
            const LineSource::Line line = take();
            problem(line.number,
                    QStringLiteral("this line fits no record (an edit by hand?): \"%1\"")
                        .arg(source_.text(line).left(60)));
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
    const auto problem = [&](qint64 line, const QString &text) {
        found.append({fileName_, line, text, false});
    };
    if (withCodeLine) {
        const LineSource::Line code = take();
        run_.line = code.number;
        run_.codeLine = source_.text(code);
        run_.codeLineValid = isValidCodeLine(run_.codeLine);
        if (run_.codeLineValid) {
            run_.codeNumber = records::codeNumberOf(run_.codeLine);
        } else {
            problem(code.number,
                    QStringLiteral("the code line of this run is not valid (it holds a "
                                   "character below code 66 or of code 117): the run's code "
                                   "number cannot be read"));
        }
    }
    const LineSource::Line assignment = take();
    const QString assignmentLine = source_.text(assignment);
    if (!withCodeLine) {
        run_.line = assignment.number;
        problem(assignment.number,
                QStringLiteral("this run has no code line before \"%1\": its code number is "
                               "unknown")
                    .arg(assignmentLine));
    }
    run_.assignmentText = assignmentLine.mid(text::assignmentLabel.size());
    bool ok = false;
    run_.assignment = run_.assignmentText.trimmed().toInt(&ok);
    if (!ok)
        run_.assignment = 0;
    run_.headLine = source_.text(take());
    take(); // the title, which startsOpeningBlock has seen
    const LineSource::Line *date = peek(0);
    if (date && isDate(date->bytes)) {
        run_.date = QString::fromLatin1(date->bytes);
        const qint64 dateLine = take().number;
        if (!expectedDate_.isEmpty() && run_.date.left(5) != expectedDate_) {
            problem(dateLine, QStringLiteral("the run is dated %1 but the file name says %2")
                                  .arg(run_.date, expectedDate_));
        }
    } else {
        problem(run_.line, QStringLiteral("the opening block of this run has no date line"));
    }
    if (handlers_->run)
        handlers_->run(run_);
    for (const Problem &each : found)
        this->problem(each.line, each.text);
}

// What an interrupted write leaves of an opening block: up to the next record or run.
void RecordParser::skipIncompleteOpeningBlock()
{
    const qint64 first = take().number;
    qint64 last = first;
    while (peek(0) && !breaksRecord(0))
        last = take().number;
    problem(first, QStringLiteral("incomplete opening block (lines %1 to %2): it stops before "
                                  "its title and date, as an interrupted write leaves it")
                       .arg(first)
                       .arg(last));
}

// An opening rule, or the start of one, that no time stamp follows: what an interrupted write
// leaves of the beginning of a record. Up to the next record or run.
void RecordParser::skipIncompleteRecordStart()
{
    const qint64 first = take().number;
    qint64 last = first;
    while (peek(0) && !breaksRecord(0))
        last = take().number;
    problem(first, QStringLiteral("incomplete record (lines %1 to %2): it stops before its time "
                                  "stamp, as an interrupted write leaves it")
                       .arg(first)
                       .arg(last));
}

void RecordParser::reportIncomplete(const Record &record, qint64 lastLine, const char *where)
{
    problem(record.line, QStringLiteral("incomplete record (lines %1 to %2): it stops %3, as an "
                                        "interrupted write leaves it")
                             .arg(record.line)
                             .arg(lastLine)
                             .arg(QLatin1String(where)));
}

void RecordParser::parseRecord()
{
    Record record;
    entry_.clear();
    record.line = take().number;
    qint64 last = record.line;
    const LineSource::Line stamp = take();
    last = stamp.number;
    record.time = QString::fromLatin1(QByteArrayView(stamp.bytes).sliced(stampIndent.size()));
    bool notes = false;
    qint64 questionNumber = -1;
    if (const auto *line = peek(0); line && isDateAndTimeStamp(line->bytes)) {
        notes = true;
        record.dateAndTime =
            QString::fromLatin1(QByteArrayView(line->bytes).sliced(stampIndent.size()));
        last = take().number;
    } else if (const auto *first = peek(0), *second = peek(1), *third = peek(2);
               first && second && third && first->bytes.isEmpty() && second->bytes.isEmpty() &&
               questionNumberOf(third->bytes) >= 0) {
        questionNumber = questionNumberOf(third->bytes);
        take();
        take();
        last = take().number;
    }

    // The recorded entry runs to the second opening rule.
    JoinedLines lines;
    for (;;) {
        const auto *line = peek(0);
        if (!line || breaksRecord(0)) {
            record.recordedLine = source_.decode(lines.bytes());
            record.complete = false;
            reportIncomplete(record, last, "inside its recorded line");
            finishRecord(record);
            return;
        }
        if (isOpeningRule(line->bytes)) {
            last = take().number;
            break;
        }
        const LineSource::Line taken = take();
        last = taken.number;
        lines.add(taken.bytes);
    }
    entry_ = lines.bytes();
    record.assignment = run_.assignment;
    if (questionNumber >= 0) {
        record.assignment = int(questionNumber / 10000);
        record.question = int(questionNumber % 10000);
        record.questionFromFile = true;
    }

    const auto *head = peek(0);
    if (!head || breaksRecord(0)) {
        record.complete = false;
        reportIncomplete(record, last, "before its response");
        finishRecord(record);
        return;
    }
    qint64 missingHead = 0;
    if (head->bytes.startsWith(notesLabel))
        notes = true;
    else if (head->bytes == responseHead)
        notes = false;
    else
        missingHead = head->number;
    lines = JoinedLines();
    bool first = true;
    for (;;) {
        const auto *line = peek(0);
        if (!line || breaksRecord(0)) {
            record.complete = false;
            break;
        }
        if (!first && line->bytes == closingRule) {
            last = take().number;
            break;
        }
        const LineSource::Line taken = take();
        last = taken.number;
        if (first && taken.bytes == responseHead && !notes) {
            first = false;
            continue;
        }
        if (first && notes && taken.bytes.startsWith(notesLabel))
            lines.add(QByteArrayView(taken.bytes).sliced(notesLabel.size()));
        else
            lines.add(taken.bytes);
        first = false;
    }

    if (notes) {
        record.kind = RecordKind::Note;
        if (record.dateAndTime.isEmpty())
            problem(record.line, QStringLiteral("this notes record has no date-and-time stamp"));
    } else if (!lines.isEmpty() && (lines.last().startsWith(confidenceLabel) ||
                                    lines.last().startsWith(selfCritiqueLabel))) {
        const QString rating = source_.decode(lines.takeLast());
        const bool confidence = rating.startsWith(text::confidenceLabel);
        record.kind = confidence ? RecordKind::Question : RecordKind::Answer;
        record.hasRatingLine = true;
        record.ratingTyped =
            rating.mid(confidence ? text::confidenceLabel.size() : text::selfCritiqueLabel.size());
        record.rating = ratingNumber(record.ratingTyped);
    }
    record.response = source_.decode(lines.bytes());
    if (!record.complete) {
        reportIncomplete(record, last, "before its closing rule");
    } else if (missingHead > 0) {
        problem(missingHead,
                QStringLiteral("expected \"%1\" here; the line is read as the first line of "
                               "the response")
                    .arg(notes ? text::notesLabel.trimmed().toString()
                               : text::responseHead.trimmed().toString()));
    }
    finishRecord(record);
}

// Names the record's question and hands it on.
void RecordParser::finishRecord(Record &record)
{
    if (!record.questionFromFile)
        record.assignment = run_.assignment;
    // Taken as written first; only a line that is not found so is decoded and looked up again.
    std::optional<QuestionIndex::Place> place;
    if (!entry_.isEmpty()) {
        place = index_.findBytes(entry_, record.assignment);
        record.recordedLine = place ? place->text : source_.decode(entry_);
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
        handlers_->record(run_, record);
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
