// SPDX-License-Identifier: MIT
#include "report/recordparser.h"

#include "records/codepage.h"
#include "records/linecoding.h"
#include "records/recordcomposition.h"
#include "report/questionindex.h"

#include <QRegularExpression>

namespace report {

namespace {

namespace text = records::fixedtext;

const QString title = QStringLiteral("bexlorin");

// Cheap tests first: they run on every line of every record.
bool isOpeningRule(const QString &line)
{
    return line.size() == text::openingRule.size() && line.front() == u'.' &&
           line == text::openingRule;
}

bool isAssignmentLine(const QString &line)
{
    return line.size() >= text::assignmentLabel.size() && line.front() == u'a' &&
           line.startsWith(text::assignmentLabel);
}

// `pattern` with 9 standing for any digit: "99:99:99" and the like.
bool hasForm(QStringView text, QStringView pattern)
{
    if (text.size() != pattern.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (pattern[i] == u'9' ? !text[i].isDigit() || text[i].unicode() > u'9'
                               : text[i] != pattern[i])
            return false;
    }
    return true;
}

bool isStamp(QStringView line, QStringView form)
{
    return line.size() == text::stampIndent.size() + form.size() &&
           line.startsWith(text::stampIndent) && hasForm(line.mid(text::stampIndent.size()), form);
}

bool isTimeStamp(QStringView line)
{
    return isStamp(line, u"99:99:99");
}

bool isDateAndTimeStamp(QStringView line)
{
    return isStamp(line, u"99-99-999999:99:99");
}

bool isDate(QStringView line)
{
    return hasForm(line, u"99-99-9999");
}

// "`questionNumber N " with N = assignment * 10000 + question; -1 when it is not one.
qint64 questionNumberOf(QStringView line)
{
    static const QRegularExpression numberLine(QStringLiteral("^`questionNumber (\\d+) $"));
    const auto match = numberLine.match(line);
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
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

// Lines joined with CR LF as they come; the last one is held apart, since it may turn out to
// be the rating line. A single line is shared, not copied.
class JoinedLines
{
public:
    void add(QString line)
    {
        if (count_ > 1)
            text_ += text::lineEnd;
        if (count_ > 0)
            text_ += last_;
        last_ = std::move(line);
        ++count_;
    }
    bool isEmpty() const { return count_ == 0; }
    const QString &last() const { return last_; }
    QString takeLast()
    {
        QString taken = std::move(last_);
        // What is left is held as one line.
        last_ = std::move(text_);
        text_.clear();
        count_ = count_ > 1 ? 1 : 0;
        return taken;
    }
    QString joined() const
    {
        if (count_ <= 1)
            return last_;
        QString all;
        all.reserve(text_.size() + 2 + last_.size());
        return all.append(text_).append(text::lineEnd).append(last_);
    }

private:
    QString text_;
    QString last_;
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
    if (!rule || !isOpeningRule(rule->text))
        return false;
    const auto *stamp = peek(ahead + 1);
    return stamp && isTimeStamp(stamp->text);
}

// A code line, "assignment #", a head line and the title; or the same without the code line.
bool RecordParser::startsOpeningBlock(qsizetype ahead, bool *withCodeLine)
{
    const auto *first = peek(ahead);
    const auto *second = peek(ahead + 1);
    if (!first || !second)
        return false;
    const bool firstIsAssignment = isAssignmentLine(first->text);
    if (!firstIsAssignment && !isAssignmentLine(second->text))
        return false;
    const auto *third = peek(ahead + 2);
    const auto *fourth = peek(ahead + 3);
    if (!firstIsAssignment && fourth && fourth->text == title) {
        *withCodeLine = true;
        return true;
    }
    if (firstIsAssignment && third && third->text == title) {
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
        } else if (const auto *next = peek(1);
                   peek(0)->text.startsWith(text::assignmentLabel) ||
                   (next && next->text.startsWith(text::assignmentLabel))) {
            skipIncompleteOpeningBlock();
        } else {
            const LineSource::Line line = take();
            problem(line.number,
                    QStringLiteral("this line fits no record (an edit by hand?): \"%1\"")
                        .arg(line.text.left(60)));
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
        run_.codeLine = code.text;
        run_.codeLineValid = isValidCodeLine(code.text);
        if (run_.codeLineValid) {
            run_.codeNumber = records::codeNumberOf(code.text);
        } else {
            problem(code.number,
                    QStringLiteral("the code line of this run is not valid (it holds a "
                                   "character below code 66 or of code 117): the run's code "
                                   "number cannot be read"));
        }
    }
    const LineSource::Line assignment = take();
    if (!withCodeLine) {
        run_.line = assignment.number;
        problem(assignment.number,
                QStringLiteral("this run has no code line before \"%1\": its code number is "
                               "unknown")
                    .arg(assignment.text));
    }
    run_.assignmentText = assignment.text.mid(text::assignmentLabel.size());
    bool ok = false;
    run_.assignment = run_.assignmentText.trimmed().toInt(&ok);
    if (!ok)
        run_.assignment = 0;
    run_.headLine = take().text;
    take(); // the title, which startsOpeningBlock has seen
    const LineSource::Line *date = peek(0);
    if (date && isDate(date->text)) {
        run_.date = date->text;
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
    record.line = take().number;
    qint64 last = record.line;
    const LineSource::Line stamp = take();
    last = stamp.number;
    record.time = stamp.text.mid(text::stampIndent.size());
    bool notes = false;
    qint64 questionNumber = -1;
    if (const auto *line = peek(0); line && isDateAndTimeStamp(line->text)) {
        notes = true;
        record.dateAndTime = line->text.mid(text::stampIndent.size());
        last = take().number;
    } else if (const auto *first = peek(0), *second = peek(1), *third = peek(2);
               first && second && third && first->text.isEmpty() && second->text.isEmpty() &&
               questionNumberOf(third->text) >= 0) {
        questionNumber = questionNumberOf(third->text);
        take();
        take();
        last = take().number;
    }

    // The recorded entry runs to the second opening rule.
    JoinedLines lines;
    for (;;) {
        const auto *line = peek(0);
        if (!line || breaksRecord(0)) {
            record.recordedLine = lines.joined();
            record.complete = false;
            reportIncomplete(record, last, "inside its recorded line");
            finishRecord(record, last);
            return;
        }
        if (isOpeningRule(line->text)) {
            last = take().number;
            break;
        }
        LineSource::Line taken = take();
        last = taken.number;
        lines.add(std::move(taken.text));
    }
    record.recordedLine = lines.joined();
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
        finishRecord(record, last);
        return;
    }
    qint64 missingHead = 0;
    if (head->text.startsWith(text::notesLabel))
        notes = true;
    else if (head->text == text::responseHead)
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
        if (!first && line->text == text::closingRule) {
            last = take().number;
            break;
        }
        LineSource::Line taken = take();
        last = taken.number;
        if (first && taken.text == text::responseHead && !notes) {
            first = false;
            continue;
        }
        if (first && notes && taken.text.startsWith(text::notesLabel))
            lines.add(taken.text.mid(text::notesLabel.size()));
        else
            lines.add(std::move(taken.text));
        first = false;
    }

    if (notes) {
        record.kind = RecordKind::Note;
        if (record.dateAndTime.isEmpty())
            problem(record.line, QStringLiteral("this notes record has no date-and-time stamp"));
    } else if (!lines.isEmpty() && (lines.last().startsWith(text::confidenceLabel) ||
                                    lines.last().startsWith(text::selfCritiqueLabel))) {
        const QString rating = lines.takeLast();
        const bool confidence = rating.startsWith(text::confidenceLabel);
        record.kind = confidence ? RecordKind::Question : RecordKind::Answer;
        record.hasRatingLine = true;
        record.ratingTyped =
            rating.mid(confidence ? text::confidenceLabel.size() : text::selfCritiqueLabel.size());
        record.rating = ratingNumber(record.ratingTyped);
    }
    record.response = lines.joined();
    if (!record.complete) {
        reportIncomplete(record, last, "before its closing rule");
    } else if (missingHead > 0) {
        problem(missingHead,
                QStringLiteral("expected \"%1\" here; the line is read as the first line of "
                               "the response")
                    .arg(notes ? text::notesLabel.trimmed().toString()
                               : text::responseHead.trimmed().toString()));
    }
    finishRecord(record, last);
}

// Names the record's question and hands it on.
void RecordParser::finishRecord(Record &record, qint64 lastLine)
{
    Q_UNUSED(lastLine);
    if (!record.questionFromFile)
        record.assignment = run_.assignment;
    const auto place = index_.find(record.recordedLine, record.assignment);
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
