// SPDX-License-Identifier: MIT
#include "report/htmlreport.h"

#include "report/gradebook.h"
#include "report/questionindex.h"
#include "report/runtable.h"

#include <QMap>

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
    "svg text{font-family:sans-serif}");

QString cell(const QString &tag, const QString &text, const QString &cls = {})
{
    const QString attribute = cls.isEmpty() ? QString() : QStringLiteral(" class=\"%1\"").arg(cls);
    return QStringLiteral("<%1%2>%3</%1>").arg(tag, attribute, escaped(text));
}

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

QString questionTable(const RunSummary &run, const QuestionIndex &index)
{
    QString html = QStringLiteral("<table class=\"questions\"><tr><th>question</th><th>response"
                                  "</th><th>confidence</th><th>response to the worked answer"
                                  "</th><th>self-critique</th><th>notes</th></tr>");
    for (auto it = run.details.constBegin(); it != run.details.constEnd(); ++it) {
        const QuestionDetail &detail = it.value();
        const QString prompt =
            it.key() > 0
                ? QStringLiteral("%1. %2").arg(it.key()).arg(index.prompt(run.assignment, it.key()))
                : QStringLiteral("(before the first question)");
        html +=
            QStringLiteral("<tr>") + cell(QStringLiteral("td"), prompt) +
            cell(QStringLiteral("td"), detail.responses.join(u"\n\n"), QStringLiteral("typed")) +
            cell(QStringLiteral("td"), detail.confidence.join(u", ")) +
            cell(QStringLiteral("td"), detail.answerResponses.join(u"\n\n"),
                 QStringLiteral("typed")) +
            cell(QStringLiteral("td"), detail.selfCritique.join(u", ")) +
            cell(QStringLiteral("td"), detail.notes.join(u"\n\n"), QStringLiteral("typed")) +
            QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

// The page loads nothing and runs nothing: whatever a student's text holds, a browser
// refuses scripts, frames, forms and every fetch.
QString head()
{
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                          "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src "
                          "'none'; style-src 'unsafe-inline'; base-uri 'none'; form-action "
                          "'none'\"><title>Bexlorin report</title><style>") +
           style + QStringLiteral("</style></head><body>\n<h1>Bexlorin report</h1>\n");
}

QString runsSection(const Gradebook &book)
{
    QString html = QStringLiteral("<h2>Runs</h2>\n<table id=\"runs\"><tr>");
    for (const QString &header : runtable::headers())
        html += cell(QStringLiteral("th"), header);
    html += QStringLiteral("</tr>\n");
    for (const RunSummary &run : book.runs()) {
        html += QStringLiteral("<tr>");
        for (const QString &value : runtable::row(run))
            html += cell(QStringLiteral("td"), value);
        html += QStringLiteral("</tr>\n");
    }
    return html + QStringLiteral("</table>\n");
}

// Problems in full; notes about the files (conversions, ratings kept as typed) folded.
QString problemsSection(const Gradebook &book)
{
    const auto item = [](const Problem &problem) {
        const QString where =
            problem.line > 0 ? QStringLiteral("%1, line %2: ").arg(problem.file).arg(problem.line)
                             : problem.file + QStringLiteral(": ");
        return cell(QStringLiteral("li"), where + problem.text,
                    problem.notice ? QStringLiteral("notice") : QStringLiteral("problem"));
    };
    QString problems;
    QString notices;
    qsizetype noticeCount = 0;
    for (const Problem &problem : book.problems()) {
        (problem.notice ? notices : problems) += item(problem);
        noticeCount += problem.notice ? 1 : 0;
    }
    QString html = QStringLiteral("<h2>Problems</h2>\n<ul id=\"problems\">") +
                   (problems.isEmpty() ? QStringLiteral("<li>none</li>") : problems) +
                   QStringLiteral("</ul>\n");
    if (noticeCount > 0) {
        html += QStringLiteral("<details><summary>%1 notes about the files (line ends, "
                               "encodings, ratings kept as typed)</summary><ul id=\"notices\">")
                    .arg(noticeCount) +
                notices + QStringLiteral("</ul></details>\n");
    }
    return html;
}

QString classSection(const Gradebook &book)
{
    return QStringLiteral("<h2>Calibration of the class</h2>\n<p>Each cell counts the questions "
                          "rated with that confidence whose worked answer then got that "
                          "self-critique rating.</p>\n") +
           calibrationSvg(QStringLiteral("calibration-class"), book.classCalibration()) + u'\n';
}

// One student: the pictures over all their runs, then each run's questions.
QString studentSection(const Gradebook &book, const QuestionIndex &index, const QString &student,
                       qsizetype number)
{
    CalibrationGrid grid{};
    QMap<QPair<int, int>, int> seconds;
    QString runs;
    for (const RunSummary &run : book.runs()) {
        if (run.student != student)
            continue;
        for (std::size_t c = 0; c < 4; ++c) {
            for (std::size_t r = 0; r < 4; ++r)
                grid[c][r] += run.calibration[c][r];
        }
        for (auto it = run.secondsPerQuestion.constBegin(); it != run.secondsPerQuestion.constEnd();
             ++it)
            seconds[{run.assignment, it.key()}] += it.value();
        const QString title = index.headLine(run.assignment).isEmpty()
                                  ? run.assignmentText
                                  : index.headLine(run.assignment);
        runs += cell(QStringLiteral("h3"),
                     QStringLiteral("Assignment %1, %2 file, %3")
                         .arg(title, run.name.kindText(),
                              run.date.isEmpty() ? QStringLiteral("no date") : run.date)) +
                u'\n' + questionTable(run, index) + u'\n';
    }
    return cell(QStringLiteral("h2"), student) + u'\n' +
           QStringLiteral("<div class=\"pictures\">") +
           calibrationSvg(QStringLiteral("calibration-student-%1").arg(number), grid) +
           minutesSvg(QStringLiteral("minutes-student-%1").arg(number), seconds) +
           QStringLiteral("</div>\n") + runs;
}

// Students in order of first appearance.
QString studentsSection(const Gradebook &book, const QuestionIndex &index)
{
    QStringList students;
    for (const RunSummary &run : book.runs()) {
        if (!students.contains(run.student))
            students.append(run.student);
    }
    QString html;
    for (qsizetype s = 0; s < students.size(); ++s)
        html += studentSection(book, index, students[s], s + 1);
    return html;
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

QString page(const Gradebook &book, const QuestionIndex &index)
{
    return head() + runsSection(book) + problemsSection(book) + classSection(book) +
           studentsSection(book, index) + QStringLiteral("</body></html>\n");
}

} // namespace report::htmlreport
