// SPDX-License-Identifier: MIT
#pragma once

#include "report/recordfilename.h"
#include "report/recordtypes.h"

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
// and at its worked answer.
struct QuestionDetail
{
    QStringList responses;
    QStringList confidence;
    QStringList answerResponses;
    QStringList selfCritique;
    QStringList notes;
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
    QMap<int, bool> answered; // questions with a rated or recognised response
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

    std::optional<double> meanConfidence() const;
    std::optional<double> meanSelfCritique() const;

    // While the run is read.
    std::vector<qint8> pendingConfidence; // by question; -1: none
    int previousSecond = -1;
};

// The class's runs and problems, fed by the parser file by file. Holds one summary per run
// and, for the HTML page only, what was typed.
class Gradebook
{
public:
    Gradebook(const QuestionIndex &index, bool keepDetails);

    void beginFile(const QString &path);
    void addRun(const Run &run);
    void addRecord(const Record &record);
    void addProblem(const Problem &problem);

    // The run the last record went to.
    const RunSummary &currentRun() const { return runs_.back(); }
    const QList<RunSummary> &runs() const { return runs_; }
    const QList<Problem> &problems() const { return problems_; }
    bool hasProblems() const;

    CalibrationGrid classCalibration() const;

private:
    RunSummary &newRun();

    const QuestionIndex &index_;
    bool keepDetails_;
    QString path_;
    RecordFileName name_;
    bool runInFile_ = false;
    QList<RunSummary> runs_;
    QList<Problem> problems_;
    QHash<QString, QString> seenRuns_; // kind + code line -> where it was first
};

} // namespace report
