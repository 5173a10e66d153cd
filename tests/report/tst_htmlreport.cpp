// SPDX-License-Identifier: MIT
#include "bank/assignmentcontent.h"
#include "records/codepage.h"
#include "records/recordcomposition.h"
#include "walkedrun.h"

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
    }

    // Self-contained: no script, no link or source that would load anything.
    void pageLoadsNothingFromElsewhere()
    {
        QFile file(page_);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QVERIFY(!html.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
        QVERIFY(!html.contains(QRegularExpression(QStringLiteral("(src|href)\\s*="),
                                                  QRegularExpression::CaseInsensitiveOption)));
        QVERIFY(!html.contains(QStringLiteral("url("), Qt::CaseInsensitive));
    }

    void domHoldsTableAndPictures()
    {
        int status = 0;
        const QString dom = QString::fromUtf8(runChromium(
            {QStringLiteral("--dump-dom"), QUrl::fromLocalFile(page_).toString()}, &status));
        QCOMPARE(status, 0);
        QVERIFY2(dom.contains(QStringLiteral("<table id=\"runs\">")), qPrintable(dom.left(500)));
        // Headers and one row per run and file: two runs, each in a master and a send file.
        QCOMPARE(dom.count(QRegularExpression(QStringLiteral("<table id=\"runs\">.*?</table>"),
                                              QRegularExpression::DotMatchesEverythingOption)),
                 1);
        const QString runs = QRegularExpression(QStringLiteral("<table id=\"runs\">(.*?)</table>"),
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
            text += records::notesRecord(QStringLiteral("09:06:00"),
                                         QStringLiteral("03-03-202609:06:00"),
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
            // In the responses, ratings and notes of the question, and in the notes list.
            QVERIFY2(dom.count(asText(payload)) >= 4, qPrintable(payload));
        }
        QVERIFY2(dom.contains(QStringLiteral("<td>") + asText(name) + QStringLiteral("</td>")),
                 qPrintable(dom.left(3000)));
        QVERIFY(dom.contains(QStringLiteral("<h2>") + asText(name) + QStringLiteral("</h2>")));
        QVERIFY(dom.contains(asText(fileName)));
        const QSet<QString> made{
            QStringLiteral("html"),  QStringLiteral("head"),    QStringLiteral("meta"),
            QStringLiteral("title"), QStringLiteral("style"),   QStringLiteral("body"),
            QStringLiteral("h1"),    QStringLiteral("h2"),      QStringLiteral("h3"),
            QStringLiteral("table"), QStringLiteral("tbody"),   QStringLiteral("tr"),
            QStringLiteral("th"),    QStringLiteral("td"),      QStringLiteral("ul"),
            QStringLiteral("li"),    QStringLiteral("details"), QStringLiteral("summary"),
            QStringLiteral("div"),   QStringLiteral("svg"),     QStringLiteral("text"),
            QStringLiteral("rect"),  QStringLiteral("p")};
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
