// SPDX-License-Identifier: MIT
#pragma once

#include "report/classsummary.h"

#include <QString>
#include <QStringList>

class QTextStream;

// The command line of bexlorin-report: record files and folders in, a run table, a CSV file
// and an HTML page out. Inputs are only ever opened for reading.
namespace report::reportcommand {

// 2 also when an input could not be read at all: the outputs are then written without it.
enum ExitCode { Clean = 0, ProblemsReported = 1, UsageError = 2, InputNotRead = 2 };

struct Outputs
{
    bool table = true;      // the run table on the terminal
    bool verbose = false;   // every notice, not counts per file and kind
    bool questions = false; // the per-question statistics on the terminal
    int studentPagesAbove = 30;
    std::optional<Roster> roster;
    QMap<int, QDate> due; // by assignment
    QString csvPath;
    QString htmlPath;
    QString xlsxPath;
    QString gradesPath; // the roster written back with the marks
};

// `arguments` as main() gets them, the program's name first.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

// Reads `inputs` (files and folders) and writes what `outputs` asks for; `written` tells
// whether the outputs were written (a usage error writes none).
int report(const QStringList &inputs, const Outputs &outputs, QTextStream &out, QTextStream &err,
           bool *written = nullptr);

// Where the page for a chosen folder goes: into the folder, unless the folder is a student's
// own output folder (it holds a master or notes file), beside whose record files the drill
// program allows no other file, or a course site's .zip; then into `otherFolder`.
QString htmlPathForFolder(const QString &folder, const QString &otherFolder);

} // namespace report::reportcommand
