// SPDX-License-Identifier: MIT
#include "bank/assignmentcontent.h"
#include "generatedclass.h"
#include "records/codepage.h"
#include "records/recordcomposition.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The report page in a real browser: headless Chromium from Debian loads it from disk, its
// DOM holds the run table and the SVG pictures, and what it draws is not blank.
class TestHtmlReport : public QObject
{
    Q_OBJECT

    QTemporaryDir records_;
    QTemporaryDir work_;
    QString chromium_;
    QString page_;
    QList<WalkedRun> walks_;
    QTemporaryDir class_;
    QString classPage_;
    GeneratedClass made_;

    QString dom(const QString &path)
    {
        int status = 0;
        const QByteArray bytes = runChromium(
            {QStringLiteral("--dump-dom"), QUrl::fromLocalFile(path).toString()}, &status);
        return status == 0 ? QString::fromUtf8(bytes) : QString();
    }

    // A fresh profile for every start, and nothing that reaches out to the network.
    QByteArray runChromium(const QStringList &extra, int *status)
    {
        QTemporaryDir profile;
        QProcess process;
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(chromium_,
                      QStringList{QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                                  QStringLiteral("--disable-gpu"), QStringLiteral("--disable-quic"),
                                  QStringLiteral("--no-first-run"),
                                  QStringLiteral("--disable-background-networking"),
                                  QStringLiteral("--disable-component-update"),
                                  QStringLiteral("--disable-sync"),
                                  QStringLiteral("--user-data-dir=") + profile.path()} +
                          extra);
        if (!process.waitForFinished(180000)) {
            process.kill();
            process.waitForFinished();
            *status = -1;
            return {};
        }
        *status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return process.readAllStandardOutput();
    }

private slots:
    void initTestCase()
    {
        chromium_ = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium_.isEmpty())
            QSKIP("No chromium on this system's path to load the page in (on Debian, "
                  "scripts/install-deps installs it; the Windows build under Wine has none, and "
                  "the page it writes is the same)");
        QVERIFY(records_.isValid());
        QVERIFY(work_.isValid());
        walks_.append(walkAssignment(records_.path(), QStringLiteral("Sam Student"), 1, 0,
                                     QTime(8, 0, 11), 37));
        walks_.append(walkAssignment(records_.path(), QStringLiteral("Kim Doe"), 2, 3,
                                     QTime(10, 30, 47), 52));
        page_ = work_.filePath(QStringLiteral("report.html"));
        QProcess report;
        report.start(QStringLiteral(BEXLORIN_REPORT),
                     {QStringLiteral("--html"), page_, records_.path()});
        QVERIFY(report.waitForFinished(60000));
        QCOMPARE(report.exitCode(), 0);

        // A class with a roster and due dates, each student on a page of their own.
        made_ = generateClass(class_.path());
        QFile roster(work_.filePath(QStringLiteral("roster.txt")));
        QVERIFY(roster.open(QIODevice::WriteOnly));
        roster.write(made_.roster.join(u'\n').toUtf8());
        roster.close();
        classPage_ = work_.filePath(QStringLiteral("class.html"));
        report.start(QStringLiteral(BEXLORIN_REPORT),
                     {QStringLiteral("--roster"), roster.fileName(), QStringLiteral("--due"),
                      QStringLiteral("1=2026-03-05"), QStringLiteral("--due"),
                      QStringLiteral("2=2026-03-10"), QStringLiteral("--student-pages-above"),
                      QStringLiteral("2"), QStringLiteral("--html"), classPage_, class_.path()});
        QVERIFY(report.waitForFinished(60000));
        QCOMPARE(report.exitCode(), 0);
    }

    // Self-contained: no script, no source that would load anything, links only within the
    // page and to the pages in the folder beside it; a policy that forbids scripts.
    void pageLoadsNothingFromElsewhere()
    {
        for (const QString &path :
             {page_, classPage_, work_.filePath(QStringLiteral("class-pages/student-1.html")),
              work_.filePath(QStringLiteral("class-pages/runs-by-3.html"))}) {
            QFile file(path);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
            const QString html = QString::fromUtf8(file.readAll());
            QVERIFY(!html.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
            QVERIFY(!html.contains(QRegularExpression(QStringLiteral("src\\s*="),
                                                      QRegularExpression::CaseInsensitiveOption)));
            QVERIFY(!html.contains(QStringLiteral("url("), Qt::CaseInsensitive));
            QVERIFY(html.contains(QStringLiteral("content=\"default-src 'none'")));
            const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
            for (const auto &match : href.globalMatch(html)) {
                const QString target = match.captured(1);
                QVERIFY2(!target.contains(u':') && !target.startsWith(u'/'), qPrintable(target));
            }
        }
    }

    // The class page: contents with working anchors, the matrix as generated, and a student's
    // link that opens their own page.
    void classPageLinksMatrixAndStudents()
    {
        const QString page = dom(classPage_);
        for (const char *id :
             {"matrix", "runs", "problems", "calibration", "questions", "students"}) {
            QVERIFY2(page.contains(QStringLiteral("<a href=\"#%1\">").arg(QLatin1String(id))), id);
            QVERIFY2(page.contains(QStringLiteral(" id=\"%1\"").arg(QLatin1String(id))), id);
        }
        const QRegularExpression row(QStringLiteral(
            "<tr><td>(?:<a href=\"([^\"]*)\">)?([^<]*)(?:</a>)?</td>"
            "<td class=\"[a-z]+\">([^<]*)</td><td class=\"[a-z]+\">([^<]*)</td></tr>"));
        const QString matrix = page.section(QStringLiteral("id=\"matrix-table\""), 1)
                                   .section(QStringLiteral("</table>"), 0, 0);
        QStringList seen;
        QString annPage;
        for (const auto &match : row.globalMatch(matrix)) {
            const QString student = match.captured(2);
            seen.append(student);
            for (const QString &generated : made_.cells.keys()) {
                if (generated.compare(student, Qt::CaseInsensitive) == 0) {
                    QCOMPARE(match.captured(3), made_.cells[generated][1]);
                    QCOMPARE(match.captured(4), made_.cells[generated][2]);
                }
            }
            if (student == u"Ann Lee")
                annPage = match.captured(1);
        }
        QCOMPARE(seen.size(), made_.roster.size());
        QVERIFY(page.contains(QStringLiteral("Not on the roster: Eve Gray")));
        QVERIFY2(annPage.startsWith(QStringLiteral("class-pages/student-")), qPrintable(annPage));
        const QString student = dom(work_.filePath(annPage));
        QVERIFY(student.contains(QStringLiteral("<h1>Ann Lee</h1>")));
        QVERIFY(student.contains(QStringLiteral("<svg id=\"calibration-student-")));
        QVERIFY(student.contains(QStringLiteral("A = L * W = 4 m * 3 m = 12 m²")));
        // The run table sorted by student, on a page of its own.
        const QString sorted = dom(work_.filePath(QStringLiteral("class-pages/runs-by-1.html")));
        const QRegularExpression first(QStringLiteral("<tr><td>([^<]*)</td>"));
        QStringList students;
        for (const auto &match : first.globalMatch(sorted))
            students.append(match.captured(1));
        QVERIFY(students.size() > 5);
        QStringList inOrder = students;
        std::sort(inOrder.begin(), inOrder.end(), [](const QString &a, const QString &b) {
            return a.toCaseFolded() < b.toCaseFolded();
        });
        QCOMPARE(students, inOrder);
    }

    void domHoldsTableAndPictures()
    {
        int status = 0;
        const QString dom = QString::fromUtf8(runChromium(
            {QStringLiteral("--dump-dom"), QUrl::fromLocalFile(page_).toString()}, &status));
        QCOMPARE(status, 0);
        QVERIFY2(dom.contains(QStringLiteral("<table id=\"runs-table\">")),
                 qPrintable(dom.left(500)));
        // Headers and one row per run and file: two runs, each in a master and a send file.
        QCOMPARE(
            dom.count(QRegularExpression(QStringLiteral("<table id=\"runs-table\">.*?</table>"),
                                         QRegularExpression::DotMatchesEverythingOption)),
            1);
        const QString runs =
            QRegularExpression(QStringLiteral("<table id=\"runs-table\">(.*?)</table>"),
                               QRegularExpression::DotMatchesEverythingOption)
                .match(dom)
                .captured(1);
        QCOMPARE(runs.count(QStringLiteral("<tr>")), 1 + 2 * walks_.size());
        for (const WalkedRun &walk : walks_)
            QVERIFY(runs.contains(QStringLiteral("<td>%1</td>").arg(walk.codeNumber)));
        QVERIFY(runs.contains(QStringLiteral("<td>Sam Student</td>")));
        QVERIFY(runs.contains(QStringLiteral("<td>Kim Doe</td>")));

        for (const QString &id :
             {QStringLiteral("calibration-class"), QStringLiteral("calibration-student-1"),
              QStringLiteral("calibration-student-2"), QStringLiteral("minutes-student-1"),
              QStringLiteral("minutes-student-2")}) {
            const QRegularExpression svg(QStringLiteral("<svg id=\"%1\"[^>]*>(.*?)</svg>").arg(id),
                                         QRegularExpression::DotMatchesEverythingOption);
            const auto match = svg.match(dom);
            QVERIFY2(match.hasMatch(), qPrintable(id));
            if (id.startsWith(u"calibration"))
                QCOMPARE(match.captured(1).count(QStringLiteral("class=\"cell\"")), 16);
            else
                QVERIFY(match.captured(1).count(QStringLiteral("class=\"bar\"")) > 5);
        }
        // What was typed stands in the page, escaped, beside its rating.
        QVERIFY(dom.contains(QStringLiteral("half of 12 m² is 6 m², \"I think\"")));
        QVERIFY(dom.contains(QStringLiteral("pretty sure")));
    }

    void screenshotIsNotBlank()
    {
        const QString png = work_.filePath(QStringLiteral("report.png"));
        int status = 0;
        runChromium({QStringLiteral("--screenshot=") + png,
                     QStringLiteral("--window-size=1280,1600"), QStringLiteral("--hide-scrollbars"),
                     QUrl::fromLocalFile(page_).toString()},
                    &status);
        QCOMPARE(status, 0);
        const QImage image(png);
        QVERIFY2(!image.isNull(), qPrintable(png));
        QCOMPARE(image.size(), QSize(1280, 1600));
        QSet<QRgb> colours;
        qsizetype darkPixels = 0;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2) {
                const QRgb pixel = image.pixel(x, y);
                colours.insert(pixel);
                darkPixels += qGray(pixel) < 128 ? 1 : 0;
            }
        }
        // Text and the blue shades of the grids: many colours, and ink on the page.
        QVERIFY2(colours.size() > 20, qPrintable(QString::number(colours.size())));
        QVERIFY2(darkPixels > 2000, qPrintable(QString::number(darkPixels)));
    }

    // What students type reaches the page as text, never as markup: names (from file names),
    // responses, ratings and notes holding < > & quotes and the usual payloads show in the DOM
    // exactly as typed, and every element of the DOM is one the page makes itself.
    void typedTextShowsAsTyped()
    {
        const QStringList payloads{QStringLiteral("if a<b then b>a"),
                                   QStringLiteral("<script>alert(1)</script>"),
                                   QStringLiteral("<img src=x onerror=alert(1)>"),
                                   QStringLiteral("</style><b>x</b>"),
                                   QStringLiteral("<svg onload=alert(1)>"),
                                   QStringLiteral("javascript:alert(1)"),
                                   QStringLiteral("\"quoted\" & 'single' &amp; &lt;"),
                                   QStringLiteral("</td></tr></table><h1>fake</h1>"),
                                   QStringLiteral("<!-- open comment"),
                                   QStringLiteral("<a href=\"http://x.invalid\">link")};
        const QString name = QStringLiteral("<i onclick=\"x\">Zoë & 'Al' <u>");
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString entry = bank::assignmentContent().filter(QStringLiteral("`q001.")).first();
        QString text = records::openingBlock(
            QString(22, QChar(0xFF)), records::assignmentLine(QStringLiteral("001")),
            QStringLiteral("001.  Areas"), QStringLiteral("bexlorin"),
            QStringLiteral("03-03-2026"));
        for (const QString &payload : payloads) {
            text +=
                records::responseRecord(records::RecordFile::Send, QStringLiteral("09:05:30"), 0,
                                        {entry, payload}, records::Rating::Confidence, payload);
            text += records::notesRecord(QStringLiteral("09:05:30"),
                                         QStringLiteral("03-03-202609:05:30"),
                                         {entry, records::notesLine(payload)});
        }
        const QString fileName = QStringLiteral("send_0303") + name + QStringLiteral(".txt");
        QFile file(folder.filePath(fileName));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(records::codepage::encode(text).value());
        file.close();
        const QString page = work_.filePath(QStringLiteral("typed.html"));
        QProcess report;
        report.start(QStringLiteral(BEXLORIN_REPORT),
                     {QStringLiteral("--html"), page, folder.path()});
        QVERIFY(report.waitForFinished(60000));
        QCOMPARE(report.exitCode(), 0); // ratings that are no numbers are only noted

        int status = 0;
        const QString dom = QString::fromUtf8(runChromium(
            {QStringLiteral("--dump-dom"), QUrl::fromLocalFile(page).toString()}, &status));
        QCOMPARE(status, 0);
        // A text node as the DOM writes it out again.
        const auto asText = [](QString typed) {
            return typed.replace(u'&', QStringLiteral("&amp;"))
                .replace(u'<', QStringLiteral("&lt;"))
                .replace(u'>', QStringLiteral("&gt;"));
        };
        for (const QString &payload : payloads) {
            // In the responses, ratings and notes of the question (the list of notes about the
            // files counts them per kind, without what they quote).
            QVERIFY2(dom.count(asText(payload)) >= 3, qPrintable(payload));
        }
        QVERIFY2(dom.contains(QStringLiteral("<td>") + asText(name) + QStringLiteral("</td>")),
                 qPrintable(dom.left(3000)));
        QVERIFY(dom.contains(QStringLiteral("<h2 id=\"student-1\">") + asText(name) +
                             QStringLiteral("</h2>")));
        QVERIFY(dom.contains(asText(fileName)));
        const QSet<QString> made{
            QStringLiteral("html"),    QStringLiteral("head"),    QStringLiteral("meta"),
            QStringLiteral("title"),   QStringLiteral("style"),   QStringLiteral("body"),
            QStringLiteral("h1"),      QStringLiteral("h2"),      QStringLiteral("h3"),
            QStringLiteral("table"),   QStringLiteral("tbody"),   QStringLiteral("tr"),
            QStringLiteral("th"),      QStringLiteral("td"),      QStringLiteral("ul"),
            QStringLiteral("li"),      QStringLiteral("details"), QStringLiteral("summary"),
            QStringLiteral("div"),     QStringLiteral("svg"),     QStringLiteral("text"),
            QStringLiteral("rect"),    QStringLiteral("p"),       QStringLiteral("nav"),
            QStringLiteral("section"), QStringLiteral("a")};
        const QRegularExpression tag(QStringLiteral("<([A-Za-z][A-Za-z0-9]*)"));
        for (auto it = tag.globalMatch(dom); it.hasNext();) {
            const QString element = it.next().captured(1).toLower();
            QVERIFY2(made.contains(element), qPrintable(element));
        }
        QVERIFY(!dom.contains(QStringLiteral("<!--")));
    }

    // scripts/report-example takes the send files of these runs for the README's example.
    void keepSendFilesForTheExample()
    {
        // and the generated class's files for the class page's pictures.
        if (const QString folder = qEnvironmentVariable("BEXLORIN_CLASS_EXAMPLE");
            !folder.isEmpty()) {
            for (const QFileInfo &info : QDir(class_.path()).entryInfoList(QDir::Files))
                QVERIFY(QFile::copy(info.filePath(), QDir(folder).filePath(info.fileName())));
        }
        const QString example = qEnvironmentVariable("BEXLORIN_REPORT_EXAMPLE");
        if (example.isEmpty())
            QSKIP("BEXLORIN_REPORT_EXAMPLE names no folder");
        for (const WalkedRun &walk : walks_) {
            const QString target = QDir(example).filePath(QFileInfo(walk.send).fileName());
            QFile::remove(target);
            QVERIFY(QFile::copy(walk.send, target));
        }
    }
};

QTEST_MAIN(TestHtmlReport)
#include "tst_htmlreport.moc"
