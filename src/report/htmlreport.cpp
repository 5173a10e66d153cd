// SPDX-License-Identifier: MIT
#include "report/htmlreport.h"

#include "report/gradebook.h"
#include "report/orderedwork.h"
#include "report/questionindex.h"
#include "report/runtable.h"

#include <QFileDevice>
#include <QIODevice>
#include <QMap>

#include <algorithm>
#include <numeric>

namespace report::htmlreport {

namespace {

const QString style = QStringLiteral(
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;margin:0.5em 0 1.5em}"
    "th,td{border:1px solid #bbb;padding:0.25em 0.5em;text-align:left;vertical-align:top}"
    "th{background:#eef}"
    ".typed{white-space:pre-wrap;max-width:28em}"
    ".problem{color:#a00}.notice{color:#555}"
    ".pictures{display:flex;flex-wrap:wrap;gap:2em;align-items:flex-start}"
    "svg text{font-family:sans-serif}"
    "td.submitted{background:#e3f4e3}td.late{background:#fde9c8}"
    "td.unfinished{background:#fff8c4}td.missing{background:#f8d7d7}"
    "#contents ul{display:flex;flex-wrap:wrap;gap:0 1.5em;padding:0;list-style:none}");

QString openTag(const QString &tag, const QString &cls)
{
    return cls.isEmpty() ? QStringLiteral("<%1>").arg(tag)
                         : QStringLiteral("<%1 class=\"%2\">").arg(tag, cls);
}

QString cell(const QString &tag, const QString &text, const QString &cls = {})
{
    return openTag(tag, cls) + escaped(text) + QStringLiteral("</%1>").arg(tag);
}

// A page as it is written: HTML goes out as it is made, in pieces of some kilobytes, and a
// text from the book's store is escaped a piece at a time.
class PageOut
{
public:
    explicit PageOut(QIODevice &device)
        : device_(device)
    {}
    PageOut(const PageOut &) = delete;
    PageOut &operator=(const PageOut &) = delete;

    PageOut &operator<<(const QString &html)
    {
        buffer_ += html.toUtf8();
        if (buffer_.size() >= flushSize)
            flush();
        return *this;
    }

    // The texts, each escaped, with `separator` between them, as the content of one element.
    void cell(const QString &tag, const TextStore &store, const QList<TextStore::Span> &texts,
              const QString &separator, const QString &cls = {})
    {
        *this << openTag(tag, cls);
        for (qsizetype i = 0; i < texts.size(); ++i) {
            if (i > 0)
                *this << separator;
            if (!store.read(texts[i], [this](QStringView piece) { *this << escaped(piece); }))
                fail(store.error());
        }
        *this << QStringLiteral("</%1>").arg(tag);
    }

    // Empty when every byte went out, otherwise the reason.
    QString finish()
    {
        flush();
        return error_;
    }

private:
    static constexpr qsizetype flushSize = 64 * 1024;

    void flush()
    {
        if (device_.write(buffer_) != buffer_.size())
            fail(device_.errorString());
        buffer_.clear();
    }
    void fail(const QString &reason)
    {
        if (error_.isEmpty())
            error_ = reason.isEmpty() ? QStringLiteral("the page could not be written") : reason;
    }

    QIODevice &device_;
    QByteArray buffer_;
    QString error_;
};

// Shade from white (no answers) to a full blue for the fullest cell.
QString shade(int count, int most)
{
    const int level = most > 0 ? 255 - count * 175 / most : 255;
    return QStringLiteral("rgb(%1,%2,255)").arg(level).arg(qMin(255, level + 20));
}

QString calibrationSvg(const QString &id, const CalibrationGrid &grid)
{
    const int size = 48;
    const int left = 120;
    const int top = 40;
    int most = 0;
    for (const auto &row : grid) {
        for (const int count : row)
            most = qMax(most, count);
    }
    const int width = left + 4 * size + 10;
    const int height = top + 4 * size + 40;
    QString svg = QStringLiteral("<svg id=\"%1\" class=\"calibration\" "
                                 "xmlns=\"http://www.w3.org/2000/svg\" width=\"%2\" "
                                 "height=\"%3\" viewBox=\"0 0 %2 %3\" role=\"img\">")
                      .arg(id)
                      .arg(width)
                      .arg(height);
    svg += QStringLiteral("<title>Confidence against self-critique</title>");
    svg += QStringLiteral("<text x=\"%1\" y=\"14\" font-size=\"12\">self-critique of the worked "
                          "answer</text>")
               .arg(left);
    for (int c = 0; c < 4; ++c) {
        const int y = top + (3 - c) * size; // confidence 3 at the top
        svg += QStringLiteral("<text x=\"%1\" y=\"%2\" font-size=\"12\" "
                              "text-anchor=\"end\">confidence %3</text>")
                   .arg(left - 6)
                   .arg(y + size / 2 + 4)
                   .arg(c);
        for (int s = 0; s < 4; ++s) {
            const int x = left + s * size;
            const int count = grid[std::size_t(c)][std::size_t(s)];
            svg += QStringLiteral("<rect class=\"cell\" x=\"%1\" y=\"%2\" width=\"%3\" "
                                  "height=\"%3\" fill=\"%4\" stroke=\"#666\"/>")
                       .arg(x)
                       .arg(y)
                       .arg(size)
                       .arg(shade(count, most));
            svg += QStringLiteral("<text x=\"%1\" y=\"%2\" font-size=\"14\" "
                                  "text-anchor=\"middle\">%3</text>")
                       .arg(x + size / 2)
                       .arg(y + size / 2 + 5)
                       .arg(count);
        }
    }
    for (int s = 0; s < 4; ++s) {
        svg += QStringLiteral("<text x=\"%1\" y=\"%2\" font-size=\"12\" "
                              "text-anchor=\"middle\">%3</text>")
                   .arg(left + s * size + size / 2)
                   .arg(top + 4 * size + 16)
                   .arg(s);
    }
    svg += QStringLiteral("</svg>");
    return svg;
}

// Minutes per question, summed over the student's runs; one bar per question.
QString minutesSvg(const QString &id, const QMap<QPair<int, int>, int> &seconds)
{
    const int bar = 22;
    const int left = 70;
    const int chart = 260;
    int most = 1;
    for (const int value : seconds)
        most = qMax(most, value);
    const int height = 30 + int(seconds.size()) * bar + 10;
    QString svg = QStringLiteral("<svg id=\"%1\" class=\"minutes\" "
                                 "xmlns=\"http://www.w3.org/2000/svg\" width=\"%2\" "
                                 "height=\"%3\" viewBox=\"0 0 %2 %3\" role=\"img\">")
                      .arg(id)
                      .arg(left + chart + 70)
                      .arg(height);
    svg += QStringLiteral("<title>Minutes spent per question</title>");
    svg += QStringLiteral("<text x=\"%1\" y=\"14\" font-size=\"12\">minutes per question</text>")
               .arg(left);
    int y = 30;
    for (auto it = seconds.constBegin(); it != seconds.constEnd(); ++it, y += bar) {
        const int length = qMax(1, it.value() * chart / most);
        svg += QStringLiteral("<text x=\"%1\" y=\"%2\" font-size=\"12\" "
                              "text-anchor=\"end\">%3/%4</text>")
                   .arg(left - 6)
                   .arg(y + 14)
                   .arg(it.key().first, 3, 10, QChar(u'0'))
                   .arg(it.key().second);
        svg += QStringLiteral("<rect class=\"bar\" x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" "
                              "fill=\"#58a\"/>")
                   .arg(left)
                   .arg(y + 2)
                   .arg(length)
                   .arg(bar - 6);
        svg += QStringLiteral("<text x=\"%1\" y=\"%2\" font-size=\"12\">%3</text>")
                   .arg(left + length + 6)
                   .arg(y + 14)
                   .arg(QString::number(it.value() / 60.0, 'f', 1));
    }
    svg += QStringLiteral("</svg>");
    return svg;
}

void questionTable(PageOut &out, const RunSummary &run, const QuestionIndex &index,
                   const TextStore &texts)
{
    out << QStringLiteral("<table class=\"questions\"><tr><th>question</th><th>response"
                          "</th><th>confidence</th><th>response to the worked answer"
                          "</th><th>self-critique</th><th>notes</th></tr>");
    const QString paragraphs = QStringLiteral("\n\n");
    const QString list = QStringLiteral(", ");
    const QString td = QStringLiteral("td");
    const QString typed = QStringLiteral("typed");
    for (auto it = run.details.constBegin(); it != run.details.constEnd(); ++it) {
        const QuestionDetail &detail = it.value();
        const QString prompt =
            it.key() > 0
                ? QStringLiteral("%1. %2").arg(it.key()).arg(index.prompt(run.assignment, it.key()))
                : QStringLiteral("(before the first question)");
        out << QStringLiteral("<tr>") + cell(td, prompt);
        out.cell(td, texts, detail.responses, paragraphs, typed);
        out.cell(td, texts, detail.confidence, list);
        out.cell(td, texts, detail.answerResponses, paragraphs, typed);
        out.cell(td, texts, detail.selfCritique, list);
        out.cell(td, texts, detail.notes, paragraphs, typed);
        out << QStringLiteral("</tr>");
    }
    out << QStringLiteral("</table>");
}

// The page's head: no script may run and nothing may load, whatever a file holds.
QString head(const QString &title)
{
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                          "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src "
                          "'none'; style-src 'unsafe-inline'; base-uri 'none'; form-action "
                          "'none'\"><title>") +
           escaped(title) + QStringLiteral("</title><style>") + style +
           QStringLiteral("</style></head><body>\n");
}

struct PageParts
{
    const Gradebook &book;
    const QuestionIndex &index;
    const Class &group;
    const Folder &folder;
};

// A page of the folder, by its name there: the reason when it was not written whole, or empty.
struct Written
{
    QString path;
    QString reason;
};

template<typename Make>
Written writePage(const PageParts &parts, const QString &name, Make make)
{
    const std::unique_ptr<QFileDevice> file = parts.folder.open(name);
    if (!file->isOpen())
        return {file->fileName(), file->errorString()};
    PageOut out(*file);
    make(out);
    QString reason = out.finish();
    if (!file->flush() && reason.isEmpty())
        reason = file->errorString();
    return {file->fileName(), reason};
}

void tell(const PageParts &parts, const Written &written)
{
    if (!written.reason.isEmpty())
        parts.folder.failed(written.path, written.reason);
}

QString link(const QString &target, const QString &text)
{
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(escaped(target), escaped(text));
}

QString backLink(const PageParts &parts)
{
    return QStringLiteral("<p>") +
           link(QStringLiteral("../") + parts.group.pageName,
                QStringLiteral("Back to the report")) +
           QStringLiteral("</p>\n");
}

QString contents()
{
    return QStringLiteral(
        "<nav id=\"contents\"><h2>Contents</h2><ul><li><a href=\"#matrix\">Assignments by "
        "student</a></li><li><a href=\"#runs\">Runs</a></li><li><a href=\"#problems\">Problems"
        "</a></li><li><a href=\"#calibration\">Calibration of the class</a></li><li><a "
        "href=\"#questions\">Questions</a></li><li><a href=\"#students\">Students</a></li>"
        "</ul></nav>\n");
}

// Students in order of first appearance, each with the indexes of their runs.
struct Students
{
    QStringList names;
    QList<QList<qsizetype>> runs;

    explicit Students(const Gradebook &book)
    {
        QHash<QString, qsizetype> row;
        const QList<RunSummary> &all = book.runs();
        for (qsizetype i = 0; i < all.size(); ++i) {
            auto found = row.constFind(all[i].student);
            if (found == row.constEnd()) {
                found = row.insert(all[i].student, names.size());
                names.append(all[i].student);
                runs.append(QList<qsizetype>());
            }
            runs[*found].append(i);
        }
    }
};

bool separatePages(const PageParts &parts, qsizetype students)
{
    return students > parts.group.studentPagesAbove && !parts.group.folder.isEmpty();
}

QString studentTarget(const PageParts &parts, qsizetype student, qsizetype students)
{
    return separatePages(parts, students)
               ? QStringLiteral("%1/student-%2.html").arg(parts.group.folder).arg(student + 1)
               : QStringLiteral("#student-%1").arg(student + 1);
}

QString matrixSection(const PageParts &parts)
{
    const ClassMatrix &matrix = parts.group.matrix;
    const Students students(parts.book);
    QHash<QString, qsizetype> number;
    for (qsizetype s = 0; s < students.names.size(); ++s)
        number.insert(Roster::key(students.names[s]), s);
    QString html = QStringLiteral("<section id=\"matrix\"><h2>Assignments by student</h2>\n"
                                  "<table id=\"matrix-table\"><tr>");
    for (const QString &header : classsummary::matrixHeaders(matrix))
        html += cell(QStringLiteral("th"), header);
    html += QStringLiteral("</tr>\n");
    const QList<QStringList> rows = classsummary::matrixRows(matrix);
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const auto found = number.constFind(Roster::key(matrix.foundAs.value(r)));
        html += QStringLiteral("<tr><td>") +
                (found == number.constEnd()
                     ? escaped(rows[r].first())
                     : link(studentTarget(parts, *found, students.names.size()), rows[r].first())) +
                QStringLiteral("</td>");
        for (qsizetype c = 1; c < rows[r].size(); ++c)
            html +=
                cell(QStringLiteral("td"), rows[r][c], rows[r][c].section(u' ', 0, 0).remove(u','));
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</table>\n");
    if (!matrix.notOnRoster.isEmpty())
        html += cell(QStringLiteral("p"),
                     QStringLiteral("Not on the roster: ") +
                         matrix.notOnRoster.join(QStringLiteral(", ")),
                     QStringLiteral("not-on-roster"));
    return html + QStringLiteral("</section>\n");
}

// A sort key of a run table cell: numbers, "k of n" and dates by value, the rest as text.
struct SortKey
{
    bool number = false;
    double value = 0;
    QString text;

    explicit SortKey(const QString &cell)
    {
        bool ok = false;
        value = cell.toDouble(&ok);
        if (!ok && cell.contains(QStringLiteral(" of "))) {
            const double of = cell.section(u' ', 2, 2).toDouble();
            value = of > 0 ? cell.section(u' ', 0, 0).toDouble() / of : 0;
            ok = true;
        }
        if (!ok && cell.size() == 10 && cell[2] == u'-' && cell[5] == u'-') {
            text = cell.mid(6) + cell.left(5); // mm-dd-yyyy by year first
            return;
        }
        number = ok;
        text = cell.toCaseFolded();
    }
    bool operator<(const SortKey &other) const
    {
        if (number != other.number)
            return number; // numbers before dashes and words
        return number ? value < other.value : text < other.text;
    }
};

QString runTable(const QList<QStringList> &rows, const QList<qsizetype> &order,
                 const QString &prefix)
{
    QString html = QStringLiteral("<table id=\"runs-table\"><tr>");
    const QStringList headers = runtable::headers();
    for (qsizetype c = 0; c < headers.size(); ++c) {
        html += QStringLiteral("<th>") +
                link(QStringLiteral("%1runs-by-%2.html").arg(prefix).arg(c + 1), headers[c]) +
                QStringLiteral("</th>");
    }
    html += QStringLiteral("</tr>\n");
    for (const qsizetype r : order) {
        html += QStringLiteral("<tr>");
        for (const QString &value : rows[r])
            html += cell(QStringLiteral("td"), value);
        html += QStringLiteral("</tr>\n");
    }
    return html + QStringLiteral("</table>\n");
}

// The run table as read, and a copy sorted by each column on a page of its own: sorting
// without a script.
QString runsSection(const PageParts &parts)
{
    QList<QStringList> rows;
    rows.reserve(parts.book.runs().size());
    for (const RunSummary &run : parts.book.runs())
        rows.append(runtable::row(run));
    QList<qsizetype> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    const bool sorted = !parts.group.folder.isEmpty();
    for (qsizetype c = 0; sorted && c < runtable::headers().size(); ++c) {
        QList<SortKey> keys;
        keys.reserve(rows.size());
        for (const QStringList &row : std::as_const(rows))
            keys.append(SortKey(row[c]));
        QList<qsizetype> byColumn = order;
        std::stable_sort(byColumn.begin(), byColumn.end(),
                         [&](qsizetype a, qsizetype b) { return keys[a] < keys[b]; });
        const QString title = QStringLiteral("Runs by %1").arg(runtable::headers()[c]);
        tell(parts,
             writePage(parts, QStringLiteral("runs-by-%1.html").arg(c + 1), [&](PageOut &out) {
                 out << head(title) + cell(QStringLiteral("h1"), title) + backLink(parts) +
                            runTable(rows, byColumn, QString()) +
                            QStringLiteral("</body></html>\n");
             }));
    }
    QString html = QStringLiteral("<section id=\"runs\"><h2>Runs</h2>\n");
    if (sorted)
        html += QStringLiteral("<p>A column's heading opens the table sorted by it.</p>\n");
    return html + runTable(rows, order, sorted ? parts.group.folder + u'/' : QString()) +
           QStringLiteral("</section>\n");
}

// Problems in full (those of a kind beyond the book's held counted); notes about the files
// (conversions, ratings kept as typed) counted per file and kind.
QString problemsSection(const Gradebook &book)
{
    QString problems;
    for (const Problem &problem : book.problems()) {
        const QString where =
            problem.line > 0 ? QStringLiteral("%1, line %2: ").arg(problem.file).arg(problem.line)
                             : problem.file + QStringLiteral(": ");
        if (!problem.notice)
            problems += cell(QStringLiteral("li"), where + problem.text, QStringLiteral("problem"));
    }
    for (const UnlistedProblems &unlisted : book.unlisted()) {
        if (!unlisted.first.notice)
            problems += cell(QStringLiteral("li"),
                             unlisted.first.file + QStringLiteral(": ") +
                                 classsummary::unlistedText(unlisted),
                             QStringLiteral("problem"));
    }
    QString html = QStringLiteral("<section id=\"problems\"><h2>Problems</h2>\n<ul "
                                  "id=\"problem-list\">") +
                   (problems.isEmpty() ? QStringLiteral("<li>none</li>") : problems) +
                   QStringLiteral("</ul>\n");
    if (!book.noticeCounts().isEmpty()) {
        html += QStringLiteral("<details><summary>Notes about the files (line ends, encodings, "
                               "ratings kept as typed), counted per file and kind</summary><ul "
                               "id=\"notices\">");
        for (const NoticeCount &notices : book.noticeCounts())
            html += cell(
                QStringLiteral("li"),
                QStringLiteral("%1 × %2: %3").arg(notices.count).arg(notices.file, notices.kind),
                QStringLiteral("notice"));
        html += QStringLiteral("</ul></details>\n");
    }
    return html + QStringLiteral("</section>\n");
}

QString calibrationSection(const Gradebook &book)
{
    return QStringLiteral("<section id=\"calibration\"><h2>Calibration of the class</h2>\n<p>Each "
                          "cell counts the questions rated with that confidence whose worked "
                          "answer then got that self-critique rating.</p>\n") +
           calibrationSvg(QStringLiteral("calibration-class"), book.classCalibration()) +
           QStringLiteral("\n</section>\n");
}

QString questionsSection(const QList<QuestionStatistics> &statistics)
{
    QString html = QStringLiteral("<section id=\"questions\"><h2>Questions</h2>\n<p>Each run of a "
                                  "student counted once; answered: a response that is not "
                                  "empty.</p>\n");
    int assignment = -1;
    for (const QuestionStatistics &question : statistics) {
        if (question.assignment != assignment) {
            if (assignment >= 0)
                html += QStringLiteral("</table>\n");
            assignment = question.assignment;
            html += QStringLiteral("<h3 id=\"questions-%1\">Assignment %2</h3>\n<table "
                                   "class=\"statistics\"><tr><th>prompt</th>")
                        .arg(assignment)
                        .arg(assignment, 3, 10, QChar(u'0'));
            for (const QString &header : classsummary::statisticsHeaders().mid(1))
                html += cell(QStringLiteral("th"), header);
            html += QStringLiteral("</tr>\n");
        }
        html += QStringLiteral("<tr>") + cell(QStringLiteral("td"), question.prompt.left(80));
        for (const QString &value : classsummary::statisticsRow(question).mid(1))
            html += cell(QStringLiteral("td"), value);
        html += QStringLiteral("</tr>\n");
    }
    if (assignment >= 0)
        html += QStringLiteral("</table>\n");
    return html + QStringLiteral("</section>\n");
}

// One student's pictures and, run by run, what was typed and rated.
void studentBody(PageOut &out, const Gradebook &book, const QuestionIndex &index,
                 const QList<qsizetype> &runIndexes, qsizetype s)
{
    CalibrationGrid grid{};
    QMap<QPair<int, int>, int> seconds;
    for (const qsizetype r : runIndexes) {
        const RunSummary &run = book.runs()[r];
        if (!book.counted(run))
            continue;
        for (std::size_t c = 0; c < 4; ++c) {
            for (std::size_t k = 0; k < 4; ++k)
                grid[c][k] += run.calibration[c][k];
        }
        for (auto it = run.secondsPerQuestion.constBegin(); it != run.secondsPerQuestion.constEnd();
             ++it)
            seconds[{run.assignment, it.key()}] += it.value();
    }
    out << QStringLiteral("<div class=\"pictures\">") +
               calibrationSvg(QStringLiteral("calibration-student-%1").arg(s + 1), grid) +
               minutesSvg(QStringLiteral("minutes-student-%1").arg(s + 1), seconds) +
               QStringLiteral("</div>\n");
    for (const qsizetype r : runIndexes) {
        const RunSummary &run = book.runs()[r];
        const QString headLine = index.headLine(run.assignment);
        const QString title =
            QStringLiteral("Assignment %1, %2 file, %3")
                .arg(headLine.isEmpty() ? run.assignmentText : headLine, run.name.kindText(),
                     run.date.isEmpty() ? QStringLiteral("no date") : run.date);
        out << cell(QStringLiteral("h3"), title) + u'\n';
        if (!book.counted(run)) {
            out << cell(QStringLiteral("p"), QStringLiteral("The same run as in %1, shown there.")
                                                 .arg(book.runs()[run.sameAs].file));
            continue;
        }
        questionTable(out, run, index, book.texts());
        out << QStringLiteral("\n");
    }
}

// A student's own page, for a large class, written to its file by the thread that makes it.
Written studentPage(const PageParts &parts, const Students &students, qsizetype s)
{
    const QString name = studentTarget(parts, s, students.names.size()).section(u'/', 1);
    return writePage(parts, name, [&](PageOut &out) {
        out << head(students.names[s]) + cell(QStringLiteral("h1"), students.names[s]) +
                   backLink(parts);
        if (parts.group.readStudent) {
            // Read again for this student alone, so that the class's texts are never all held.
            const std::unique_ptr<Gradebook> own = parts.group.readStudent(students.names[s]);
            QList<qsizetype> all(own->runs().size());
            std::iota(all.begin(), all.end(), 0);
            studentBody(out, *own, parts.index, all, s);
        } else {
            studentBody(out, parts.book, parts.index, students.runs[s], s);
        }
        out << QStringLiteral("</body></html>\n");
    });
}

// A line per student for a large class, linking to the student's own page.
QString studentSummary(const PageParts &parts, const Students &students, qsizetype s)
{
    int counted = 0;
    int records = 0;
    for (const qsizetype r : students.runs[s]) {
        counted += parts.book.counted(parts.book.runs()[r]) ? 1 : 0;
        records += parts.book.runs()[r].records;
    }
    return QStringLiteral("<tr id=\"student-%1\"><td>").arg(s + 1) +
           link(studentTarget(parts, s, students.names.size()), students.names[s]) +
           QStringLiteral("</td><td>%1</td><td>%2</td></tr>\n").arg(counted).arg(records);
}

// The students' own pages are made a few ahead on the other cores, each written as it is made:
// what is handed over is only whether it was written.
QString studentList(const PageParts &parts, const Students &students)
{
    QString html = QStringLiteral("<table id=\"student-list\"><tr><th>student</th><th>runs</th>"
                                  "<th>records</th></tr>\n");
    const qsizetype count = students.names.size();
    OrderedWork<Written> pages(
        count, [&](qsizetype s) { return studentPage(parts, students, s); }, workerThreads(),
        workWindow());
    for (qsizetype s = 0; s < count; ++s) {
        tell(parts, pages.take(s));
        html += studentSummary(parts, students, s);
    }
    return html + QStringLiteral("</table>\n");
}

void studentsSection(PageOut &out, const PageParts &parts)
{
    const Students students(parts.book);
    out << QStringLiteral("<section id=\"students\"><h2>Students</h2>\n");
    if (separatePages(parts, students.names.size())) {
        out << studentList(parts, students) + QStringLiteral("</section>\n");
        return;
    }
    for (qsizetype s = 0; s < students.names.size(); ++s) {
        out << QStringLiteral("<h2 id=\"student-%1\">%2</h2>\n")
                   .arg(s + 1)
                   .arg(escaped(students.names[s]));
        studentBody(out, parts.book, parts.index, students.runs[s], s);
    }
    out << QStringLiteral("</section>\n");
}

} // namespace

QString escaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        case u'\r':
            break; // CR LF shows as one line break
        default:
            // Control characters have no place in a page; show that something was there.
            if ((c.unicode() < 0x20 && c != u'\n' && c != u'\t') ||
                (c.unicode() >= 0x7F && c.unicode() < 0xA0))
                out += QChar(0xFFFD);
            else
                out += c;
        }
    }
    return out;
}

QString page(const Gradebook &book, const QuestionIndex &index, const Class &group,
             QIODevice &device, const Folder &folder)
{
    const PageParts parts{book, index, group, folder};
    PageOut out(device);
    out << head(QStringLiteral("Bexlorin report"));
    out << QStringLiteral("<h1>Bexlorin report</h1>\n") + contents();
    out << matrixSection(parts);
    out << runsSection(parts);
    out << problemsSection(book) + calibrationSection(book) + questionsSection(group.statistics);
    studentsSection(out, parts);
    out << QStringLiteral("</body></html>\n");
    return out.finish();
}

} // namespace report::htmlreport
