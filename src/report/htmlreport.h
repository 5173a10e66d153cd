// SPDX-License-Identifier: MIT
#pragma once

#include "report/classsummary.h"

#include <QString>

#include <functional>
#include <memory>

class QFileDevice;
class QIODevice;

namespace report {

class Gradebook;
class QuestionIndex;

// One self-contained page: a table of contents, the students × assignments matrix, the run
// table, the problems, the class's calibration and statistics per question, and per student
// the pictures and what was typed and rated at each question. No scripts and nothing loaded
// from elsewhere; pictures are inline SVG. Beside it, in a folder of its own, the run table
// sorted by each column and, for a large class, one page per student. Every page is written
// as it is made, what was typed read from where the book keeps it a piece at a time: no page
// is ever held whole, however much a student typed.
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
    // class's book then holds no texts). Pages are made on several threads at once, each
    // written to its file by the thread that makes it: this must be safe to call from any.
    std::function<std::unique_ptr<Gradebook>(const QString &student)> readStudent;
};

// The folder's pages: `open` opens one for writing by its name in the folder (from any
// thread; a file that could not be opened comes back closed, with its reason), and `failed`
// is told, on the thread that writes the main page and in the order of the pages, of each that
// could not be written whole.
struct Folder
{
    std::function<std::unique_ptr<QFileDevice>(const QString &name)> open;
    std::function<void(const QString &path, const QString &reason)> failed;
};

// Writes the main page to `out` and the other pages to `folder`. Empty when the main page
// was written whole, otherwise the reason.
QString page(const Gradebook &book, const QuestionIndex &index, const Class &group, QIODevice &out,
             const Folder &folder);

QString escaped(QStringView text);

} // namespace htmlreport

} // namespace report
