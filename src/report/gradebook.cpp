// SPDX-License-Identifier: MIT
#include "report/gradebook.h"

#include "report/classsummary.h"
#include "report/questionindex.h"

#include <QRegularExpression>

namespace report {

namespace {

// Seconds since midnight of "hh:mm:ss"; -1 for anything else.
int secondsOf(QStringView time)
{
    if (time.size() != 8 || time[2] != u':' || time[5] != u':')
        return -1;
    int parts[3] = {};
    for (int part = 0; part < 3; ++part) {
        const QChar tens = time[part * 3];
        const QChar ones = time[part * 3 + 1];
        if (!tens.isDigit() || !ones.isDigit())
            return -1;
        parts[part] = tens.digitValue() * 10 + ones.digitValue();
    }
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59)
        return -1;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

} // namespace

std::optional<double> RunSummary::meanConfidence() const
{
    if (confidenceCount == 0)
        return std::nullopt;
    return double(confidenceSum) / confidenceCount;
}

std::optional<double> RunSummary::meanSelfCritique() const
{
    if (selfCritiqueCount == 0)
        return std::nullopt;
    return double(selfCritiqueSum) / selfCritiqueCount;
}

Gradebook::Gradebook(const QuestionIndex &index, bool keepDetails)
    : index_(index)
    , keepDetails_(keepDetails)
{}

void Gradebook::beginFile(const QString &path)
{
    path_ = path;
    name_ = RecordFileName::of(path);
    runInFile_ = false;
}

RunSummary &Gradebook::newRun()
{
    RunSummary &summary = runs_.emplace_back();
    summary.student = name_.student;
    summary.file = path_;
    summary.name = name_;
    runInFile_ = true;
    return summary;
}

void Gradebook::addRun(const Run &run)
{
    RunSummary &summary = newRun();
    summary.line = run.line;
    summary.date = run.date;
    summary.assignment = run.assignment;
    summary.assignmentText = run.assignmentText;
    summary.codeLine = run.codeLine;
    if (run.codeLineValid)
        summary.codeNumber = run.codeNumber;
    summary.questions = index_.questionCount(run.assignment);
    // Only a valid code line tells a run from another: an invalid or missing one says nothing
    // about where the run came from.
    if (run.codeLineValid)
        checkSameRun(run);
}

// The same run in a master and a send file, or in a file sent twice, is one run of the
// student.
void Gradebook::checkSameRun(const Run &run)
{
    const qsizetype here = runs_.size() - 1;
    const auto seen = seenRuns_.constFind(run.codeLine);
    if (seen == seenRuns_.constEnd()) {
        seenRuns_.insert(run.codeLine, here);
        seenOfKind_.insert(name_.kindText() + u'\n' + run.codeLine, here);
        return;
    }
    const RunSummary &first = runs_[*seen];
    // Twice in one file, the file was pieced together; in another student's file, copied.
    if (first.student != name_.student || first.file == path_) {
        addProblem({path_, run.line,
                    QStringLiteral("the same run (the same code line) appeared before, in %1, "
                                   "line %2")
                        .arg(first.file)
                        .arg(first.line)});
        return;
    }
    runs_[here].sameAs = *seen;
    const QString ofKind = name_.kindText() + u'\n' + run.codeLine;
    if (const auto again = seenOfKind_.constFind(ofKind); again != seenOfKind_.constEnd()) {
        addProblem({path_, run.line,
                    QStringLiteral("the same run as in %1 (a file sent or saved again): counted "
                                   "once")
                        .arg(runs_[*again].file),
                    true});
    } else {
        seenOfKind_.insert(ofKind, here);
    }
}

// Records without an opening block (a notes file named on the command line) make runs of
// their own, one per assignment and day, so that each keeps its assignment and date.
RunSummary &Gradebook::runFor(const Record &record)
{
    const QString day = record.dateAndTime.left(10);
    if (runInFile_) {
        RunSummary &last = runs_.back();
        if (last.opened || (last.assignment == record.assignment && last.date == day))
            return last;
    }
    RunSummary &run = newRun();
    run.opened = false;
    run.date = day;
    run.assignment = record.assignment;
    if (record.assignment > 0) {
        run.assignmentText = QStringLiteral("%1").arg(record.assignment, 3, 10, QChar(u'0'));
        run.questions = index_.questionCount(record.assignment);
    }
    return run;
}

void Gradebook::addRecord(const Record &record)
{
    RunSummary &run = runFor(record);
    ++run.records;
    if (run.firstTime.isEmpty())
        run.firstTime = record.time;
    run.lastTime = record.time;

    const int second = secondsOf(record.time);
    if (second >= 0) {
        if (run.previousSecond >= 0 && record.question > 0) {
            int spent = second - run.previousSecond;
            if (spent < 0)
                spent += 24 * 3600; // past midnight
            run.secondsPerQuestion[record.question] += spent;
        }
        run.previousSecond = second;
    }
    markQuestion(run, record);
    if (keepDetails_)
        keepDetail(run, record);
}

void Gradebook::markQuestion(RunSummary &run, const Record &record)
{
    const bool sameAssignment = record.assignment == run.assignment || run.assignment == 0;
    const std::size_t question = std::size_t(record.question);
    if (record.question > 0 && sameAssignment && question >= run.marks.size())
        run.marks.resize(question + 1);
    QuestionMark *mark = record.question > 0 && sameAssignment ? &run.marks[question] : nullptr;
    switch (record.kind) {
    case RecordKind::Question:
        if (mark && !record.blank) {
            run.answered.insert(record.question, true);
            mark->answered = true;
        }
        if (record.rating) {
            run.confidenceSum += *record.rating;
            ++run.confidenceCount;
            if (mark)
                mark->confidence = qint8(*record.rating);
            if (question >= run.pendingConfidence.size())
                run.pendingConfidence.resize(question + 1, -1);
            run.pendingConfidence[question] = qint8(*record.rating);
        }
        break;
    case RecordKind::Answer:
        if (record.rating) {
            run.selfCritiqueSum += *record.rating;
            ++run.selfCritiqueCount;
            if (mark)
                mark->selfCritique = qint8(*record.rating);
            if (question < run.pendingConfidence.size() && run.pendingConfidence[question] >= 0) {
                const std::size_t confidence = std::size_t(run.pendingConfidence[question]);
                ++run.calibration[confidence][std::size_t(*record.rating)];
                run.pendingConfidence[question] = -1;
            }
        }
        break;
    case RecordKind::Note:
        ++run.notes;
        break;
    case RecordKind::Response:
        break;
    }
}

void Gradebook::keepDetail(RunSummary &run, const Record &record)
{
    QuestionDetail &detail = run.details[record.question];
    switch (record.kind) {
    case RecordKind::Question:
    case RecordKind::Response:
        detail.responses.append(texts_.add(record.response));
        if (record.hasRatingLine)
            detail.confidence.append(texts_.add(record.ratingTyped));
        break;
    case RecordKind::Answer:
        detail.answerResponses.append(texts_.add(record.response));
        detail.selfCritique.append(texts_.add(record.ratingTyped));
        break;
    case RecordKind::Note:
        detail.notes.append(texts_.add(record.response));
        break;
    }
}

void Gradebook::addProblem(const Problem &problem)
{
    if (problem.notice)
        countNotice(problem);
    if (holds(problem))
        problems_.append(problem);
    if (!problem.notice && runInFile_ && !runs_.isEmpty())
        ++runs_.back().problems;
}

// The first of a kind in a file are held; a kind is what a problem says without what it
// quotes or counts.
bool Gradebook::holds(const Problem &problem)
{
    static const QRegularExpression number(QStringLiteral("\\d+"));
    const QString key = problem.file + (problem.notice ? u'\n' : u'\r') +
                        classsummary::noticeKind(problem.text).replace(number, QStringLiteral("#"));
    int &held = heldOfKind_[key];
    if (held < heldOfKind) {
        ++held;
        return true;
    }
    auto found = unlistedIndex_.constFind(key);
    if (found == unlistedIndex_.constEnd()) {
        found = unlistedIndex_.insert(key, unlisted_.size());
        unlisted_.append({problem, 0});
    }
    ++unlisted_[*found].count;
    return false;
}

void Gradebook::countNotice(const Problem &problem)
{
    const QString kind = classsummary::noticeKind(problem.text);
    const QString key = problem.file + u'\n' + kind;
    auto found = noticeIndex_.constFind(key);
    if (found == noticeIndex_.constEnd()) {
        found = noticeIndex_.insert(key, noticeCounts_.size());
        noticeCounts_.append({problem.file, kind, 0});
    }
    ++noticeCounts_[*found].count;
}

bool Gradebook::hasProblems() const
{
    for (const Problem &problem : problems_) {
        if (!problem.notice)
            return true;
    }
    return false;
}

CalibrationGrid Gradebook::classCalibration() const
{
    CalibrationGrid sum{};
    for (const RunSummary &run : runs_) {
        if (!counted(run))
            continue;
        for (std::size_t c = 0; c < 4; ++c) {
            for (std::size_t s = 0; s < 4; ++s)
                sum[c][s] += run.calibration[c][s];
        }
    }
    return sum;
}

} // namespace report
