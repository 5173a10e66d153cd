// SPDX-License-Identifier: MIT
#pragma once

#include "report/recordfilename.h"
#include "report/recordtypes.h"
#include "report/textstore.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace report {

class QuestionIndex;

// Counts per cell: confidence 0..3 (row) against the self-critique of the worked answer that
// followed (column).
using CalibrationGrid = std::array<std::array<int, 4>, 4>;

// One question of a run as the instructor reads it: what was typed and rated at the question
// and at its worked answer, each text by its place in the book's store.
struct QuestionDetail
{
    QList<TextStore::Span> responses;
    QList<TextStore::Span> confidence;
    QList<TextStore::Span> answerResponses;
    QList<TextStore::Span> selfCritique;
    QList<TextStore::Span> notes;
};

// What a run holds at one question, for the class's statistics.
struct QuestionMark
{
    bool answered = false;   // a response that is not empty
    qint8 confidence = -1;   // the last rating 0..3; -1: none
    qint8 selfCritique = -1; // of the worked answer
};

// One run (one opening block) of one file, summed up for the run table.
struct RunSummary
{
    QString student;
    QString file; // the path as given
    RecordFileName name;
    qint64 line = 0;
    QString date;
    int assignment = 0;
    QString assignmentText;
    QString codeLine;
    std::optional<int> codeNumber;
    QMap<int, bool> answered; // questions of the run's assignment with a non-empty response
    int questions = 0;        // of the assignment
    int confidenceSum = 0;
    int confidenceCount = 0;
    int selfCritiqueSum = 0;
    int selfCritiqueCount = 0;
    int notes = 0;
    int records = 0;
    QString firstTime;
    QString lastTime;
    int problems = 0;
    CalibrationGrid calibration{};
    QMap<int, int> secondsPerQuestion; // between a record and the one before it in the run
    QMap<int, QuestionDetail> details; // only when details are kept
    std::vector<QuestionMark> marks;   // by question number
    // The index of the same run read before from another file of the same student (a master
    // and a send file, or a file sent again), or -1: such a run is counted once.
    qsizetype sameAs = -1;
    bool opened = true; // false for records without an opening block (a notes file)

    std::optional<double> meanConfidence() const;
    std::optional<double> meanSelfCritique() const;

    // While the run is read.
    std::vector<qint8> pendingConfidence; // by question; -1: none
    int previousSecond = -1;
};

// Problems of one kind in one file beyond those held: how many, and the first of them.
struct UnlistedProblems
{
    Problem first;
    qint64 count = 0;
};

// Notices of one kind (what they say without what they quote) in one file.
struct NoticeCount
{
    QString file;
    QString kind;
    qint64 count = 0;
};

// The class's runs and problems, fed by the parser file by file. Holds one summary per run
// and, for the HTML page only, what was typed (in its store, bounded in memory). Of each kind
// of problem in each file it holds the first `heldOfKind`, and counts the rest: a file of a
// million broken lines costs no more than one of a hundred.
class Gradebook
{
public:
    static constexpr int heldOfKind = 100;

    Gradebook(const QuestionIndex &index, bool keepDetails);

    void beginFile(const QString &path);
    void addRun(const Run &run);
    void addRecord(const Record &record);
    void addProblem(const Problem &problem);

    // Runs with sameAs == -1: each run of each student once.
    bool counted(const RunSummary &run) const { return run.sameAs < 0; }
    // The run the last record went to.
    const RunSummary &currentRun() const { return runs_.back(); }
    const QList<RunSummary> &runs() const { return runs_; }
    const QList<Problem> &problems() const { return problems_; }
    // In the order the first of each was met.
    const QList<UnlistedProblems> &unlisted() const { return unlisted_; }
    const QList<NoticeCount> &noticeCounts() const { return noticeCounts_; }
    bool hasProblems() const;

    CalibrationGrid classCalibration() const;

    // The texts of the runs' details.
    const TextStore &texts() const { return texts_; }

private:
    RunSummary &newRun();
    RunSummary &runFor(const Record &record);
    void checkSameRun(const Run &run);
    void markQuestion(RunSummary &run, const Record &record);
    void keepDetail(RunSummary &run, const Record &record);
    bool holds(const Problem &problem);
    void countNotice(const Problem &problem);

    const QuestionIndex &index_;
    bool keepDetails_;
    QString path_;
    RecordFileName name_;
    bool runInFile_ = false;
    QList<RunSummary> runs_;
    QList<Problem> problems_;
    QHash<QString, int> heldOfKind_;          // file + kind -> problems of it held
    QHash<QString, qsizetype> unlistedIndex_; // file + kind -> its entry in unlisted_
    QList<UnlistedProblems> unlisted_;
    QHash<QString, qsizetype> noticeIndex_; // file + kind -> its entry in noticeCounts_
    QList<NoticeCount> noticeCounts_;
    TextStore texts_;
    QHash<QString, qsizetype> seenRuns_;   // valid code line -> the run it was first seen in
    QHash<QString, qsizetype> seenOfKind_; // kind + valid code line -> the same
};

} // namespace report
