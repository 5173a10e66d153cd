// SPDX-License-Identifier: MIT
#pragma once

#include "report/classsummary.h"

#include <QString>

#include <functional>
#include <memory>

namespace report {

class Gradebook;
class QuestionIndex;

// One self-contained page: a table of contents, the students × assignments matrix, the run
// table, the problems, the class's calibration and statistics per question, and per student
// the pictures and what was typed and rated at each question. No scripts and nothing loaded
// from elsewhere; pictures are inline SVG. Beside it, in a folder of its own, the run table
// sorted by each column and, for a large class, one page per student.
namespace htmlreport {

struct Class
{
    ClassMatrix matrix;
    QList<QuestionStatistics> statistics;
    // Above this many students the page shows a summary per student and links to their page.
    int studentPagesAbove = 30;
    // The folder beside the page, by its name as links give it ("report-pages"), and the
    // page's own name ("report.html"). No folder: no sorted copies and no student pages.
    QString folder;
    QString pageName;
    // When set, a student's page is made from their files read again on their own (the
    // class's book then holds no texts). Pages are made on several threads at once: it must
    // be safe to call from any of them.
    std::function<std::unique_ptr<Gradebook>(const QString &student)> readStudent;
};

// Writes one page of the folder, by its name in the folder; false when it cannot.
using WritePage = std::function<bool(const QString &name, const QString &html)>;

// The main page; the other pages go through `write`.
QString page(const Gradebook &book, const QuestionIndex &index, const Class &group,
             const WritePage &write);

QString escaped(QStringView text);

} // namespace htmlreport

} // namespace report
