// SPDX-License-Identifier: MIT
#include "bank/assignmentcontent.h"
#include "records/codepage.h"
#include "report/classsummary.h"
#include "report/gradebook.h"
#include "report/questionindex.h"
#include "report/roster/gradesfile.h"
#include "report/roster/roster.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using report::ClassMatrix;
using report::Roster;

namespace {

const report::QuestionIndex &questionIndex()
{
    static const report::QuestionIndex index(bank::assignmentContent());
    return index;
}

// A run of a submission handed out by a course site that gave the student an id, or of a file
// sent by mail (no id).
report::RunSummary siteRun(const QString &student, const QString &id, int assignment, int answered,
                           const QString &date)
{
    report::RunSummary run;
    run.student = student;
    run.file = QStringLiteral("%1_%2_77%2_send_0303%3.txt").arg(student, id, student);
    if (!id.isEmpty()) {
        run.name.site.site = report::SiteFacts::Site::Canvas;
        run.name.site.userId = id;
    }
    run.assignment = assignment;
    run.questions = questionIndex().questionCount(assignment);
    for (int q = 1; q <= answered; ++q)
        run.answered.insert(q, true);
    run.date = date;
    return run;
}

// Ann did assignment 1 twice, Bo late, Zoë (by mail) left 2 unfinished, Eve is on no roster.
QList<report::RunSummary> classRuns()
{
    const int all = questionIndex().questionCount(1);
    return {siteRun(QStringLiteral("Ann Lee"), QStringLiteral("101"), 1, 5,
                    QStringLiteral("03-02-2026")),
            siteRun(QStringLiteral("Ann Lee"), QStringLiteral("101"), 1, all,
                    QStringLiteral("03-04-2026")),
            siteRun(QStringLiteral("Bo Chan"), QStringLiteral("102"), 1, all,
                    QStringLiteral("03-09-2026")),
            siteRun(QStringLiteral("Zoë Ng"), QString(), 2, 4, QStringLiteral("03-04-2026")),
            siteRun(QStringLiteral("Eve Gray"), QStringLiteral("104"), 1, all,
                    QStringLiteral("03-04-2026"))};
}

const QMap<int, QDate> due{{1, QDate(2026, 3, 5)}, {2, QDate(2026, 3, 10)}};

QByteArray utf16(const QString &text, QStringConverter::Encoding encoding)
{
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(text);
}

QStringList cellsOf(const ClassMatrix &matrix)
{
    QStringList rows;
    for (const QStringList &row : report::classsummary::matrixRows(matrix))
        rows.append(row.join(u'|'));
    return rows;
}

// What the grades file must hold for a cell: the questions answered in the best run.
QString markOf(const QString &cell, int assignment)
{
    if (cell == u"missing")
        return {};
    const qsizetype of = cell.indexOf(QStringLiteral(" of "));
    return of < 0 ? QString::number(questionIndex().questionCount(assignment))
                  : cell.left(of).section(u' ', -1);
}

} // namespace

class TestRoster : public QObject
{
    Q_OBJECT

private slots:
    // Rosters as the sites export them, against one class: the matrix cell by cell, those
    // found on no line, and what the lines cannot tell apart.
    void matrixFromRoster_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding"); // as Python names it, to read the grades back
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QStringList>("notOnRoster");
        QTest::addColumn<QStringList>("problems");
        const QString q1 = QString::number(questionIndex().questionCount(1));
        const QString q2 = QString::number(questionIndex().questionCount(2));
        const QString unfinished = QStringLiteral("missing|unfinished 4 of ") + q2;
        const QStringList eve{QStringLiteral("Eve Gray (id 104)")};
        // Matched by the site's id: the roster's "Chan, Robert" is the files' Bo Chan.
        QTest::newRow("gradebook export")
            << QByteArray("\xEF\xBB\xBFStudent,ID,SIS User ID,SIS Login ID,Section,Quiz (88)\r\n"
                          "    Points Possible,,,,,10\r\n"
                          "\"Lee, Ann\",101,S1,alee,\"A, \"\"main\"\"\r\n room\",9\r\n"
                          "\"Chan, Robert\",102,S2,bchan,A,\r\n"
                          "\"Ng, Zoe\",103,S3,zng,A,7\r\n"
                          ",,,,,Manual Posting\r\n"
                          "\"Fox, Dee\",105,S5,dfox,A,\r\n")
            << QStringLiteral("utf-8-sig")
            << QStringList{QStringLiteral("Lee, Ann|submitted|missing"),
                           QStringLiteral("Chan, Robert|late|missing"),
                           QStringLiteral("Ng, Zoe|") + unfinished,
                           QStringLiteral("Fox, Dee|missing|missing")}
            << eve << QStringList{QStringLiteral(":7: neither a name nor an id")};
        QTest::newRow("participants export")
            << QByteArray("First name,Last name,ID number,Email address\n"
                          "Ann,Lee,S1,ann@example.invalid\nBo,Chan,S2,bo@example.invalid\n"
                          "Zo\xC3\xAB,Ng,S3,zoe@example.invalid\nDee,Fox,S5,dee@example.invalid\n")
            << QStringLiteral("utf-8")
            << QStringList{QStringLiteral("Ann Lee|submitted|missing"),
                           QStringLiteral("Bo Chan|late|missing"),
                           QStringLiteral("Zoë Ng|") + unfinished,
                           QStringLiteral("Dee Fox|missing|missing")}
            << eve << QStringList{};
        QTest::newRow("tab-separated UTF-16 under a .xls name")
            << utf16(QStringLiteral(
                         "\"Last Name\"\t\"First Name\"\t\"Username\"\t\"Student ID\"\r\n"
                         "\"Lee\"\t\"Ann\"\t\"alee\"\t\"\"\r\n\"Chan\"\t\"Bo\"\t\"bchan\"\t\"\"\r\n"
                         "\"NG\"\t\"ZOË\"\t\"zng\"\t\"\"\r\n\"Fox\"\t\"Dee\"\t\"dfox\"\t\"\"\r\n"),
                     QStringConverter::Utf16LE)
            << QStringLiteral("utf-16")
            << QStringList{QStringLiteral("Ann Lee|submitted|missing"),
                           QStringLiteral("Bo Chan|late|missing"),
                           QStringLiteral("ZOË NG|") + unfinished,
                           QStringLiteral("Dee Fox|missing|missing")}
            << eve << QStringList{};
        QTest::newRow("Windows-1252, semicolons, a grading worksheet's identifiers")
            << records::codepage::encode(
                   QStringLiteral("Identifier;Full name;Grade\r\nParticipant 101;Ann Lee;\r\n"
                                  "Participant 102;Bo Chan;\r\nParticipant 999;Zoë Ng;\r\n"
                                  "Participant 105;Dee Fox;\r\n"))
                   .value()
            << QStringLiteral("cp1252")
            << QStringList{QStringLiteral("Ann Lee|submitted|missing"),
                           QStringLiteral("Bo Chan|late|missing"),
                           QStringLiteral("Zoë Ng|") + unfinished,
                           QStringLiteral("Dee Fox|missing|missing")}
            << eve << QStringList{};
        QTest::newRow("a list of names")
            << QByteArray("Ann_Lee\nbo chan\n# left: Cy Diaz\nZoe Ng\n\nDee Fox")
            << QStringLiteral("utf-8")
            << QStringList{QStringLiteral("Ann Lee|submitted|missing"),
                           QStringLiteral("bo chan|late|missing"),
                           QStringLiteral("Zoe Ng|") + unfinished,
                           QStringLiteral("Dee Fox|missing|missing")}
            << eve << QStringList{};
        QTest::newRow("two lines fit one student")
            << QByteArray("Ann Lee\nBo Chan\nANN LEE\n") << QStringLiteral("utf-8")
            << QStringList{QStringLiteral("Ann Lee|missing|missing"),
                           QStringLiteral("Bo Chan|late|missing"),
                           QStringLiteral("ANN LEE|missing|missing")}
            << QStringList{QStringLiteral("Eve Gray (id 104)"), QStringLiteral("Zoë Ng")}
            << QStringList{QStringLiteral(":1: Ann Lee (id 101) (Ann Lee_101_77101_send_0303Ann "
                                          "Lee.txt) fits 2 roster lines (lines 1, 3)")};
        QTest::newRow("one line fits two students")
            << QByteArray("Name,ID\nEve Gray,101\nBo Chan,102\n") << QStringLiteral("utf-8")
            << QStringList{QStringLiteral("Eve Gray|missing|missing"),
                           QStringLiteral("Bo Chan|late|missing")}
            << QStringList{QStringLiteral("Zoë Ng")}
            << QStringList{QStringLiteral(":2: the line fits 2 students: Ann Lee (id 101)")};
        QTest::newRow("a quote never closed")
            << QByteArray("Name\nAnn Lee\n\"Bo Chan\nDee Fox\n") << QStringLiteral("utf-8")
            << QStringList{QStringLiteral("Ann Lee|submitted|missing"),
                           QStringLiteral("Bo Chan|late|missing"),
                           QStringLiteral("Dee Fox|missing|missing")}
            << QStringList{QStringLiteral("Eve Gray (id 104)"), QStringLiteral("Zoë Ng")}
            << QStringList{
                   QStringLiteral(":3: a quoted field opens on this line and is never closed")};
    }

    void matrixFromRoster()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, cells);
        QFETCH(QStringList, notOnRoster);
        QFETCH(QStringList, problems);
        QString error;
        const std::optional<Roster> roster = Roster::fromBytes(QStringLiteral("r"), bytes, &error);
        QVERIFY2(roster, qPrintable(error));
        const ClassMatrix matrix = ClassMatrix::of(classRuns(), roster, due);
        QCOMPARE(cellsOf(matrix), cells);
        QCOMPARE(matrix.notOnRoster, notOnRoster);
        QStringList said;
        for (const report::Problem &problem : roster->notices() + matrix.problems)
            said.append(
                QStringLiteral("%1:%2: %3").arg(problem.file).arg(problem.line).arg(problem.text));
        QCOMPARE(said.size(), problems.size());
        for (qsizetype i = 0; i < said.size(); ++i)
            QVERIFY2(said[i].contains(problems[i]), qPrintable(said[i]));
    }

    // The grades file read as the roster gives the same matrix; each row keeps its bytes, the
    // file its encoding; Python's csv reads the marks of each student's best run back.
    void gradesRoundTrip_data() { matrixFromRoster_data(); }

    void gradesRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        QFETCH(QStringList, cells);
        QString error;
        const std::optional<Roster> roster = Roster::fromBytes(QStringLiteral("r"), bytes, &error);
        QVERIFY(roster);
        const ClassMatrix matrix = ClassMatrix::of(classRuns(), roster, due);
        const QByteArray grades = report::GradesFile::of(*roster, matrix, questionIndex());
        const std::optional<Roster> again = Roster::fromBytes(QStringLiteral("g"), grades, &error);
        QVERIFY2(again, qPrintable(error));
        const ClassMatrix reread = ClassMatrix::of(classRuns(), again, due);
        QCOMPARE(cellsOf(reread), cells);
        QCOMPARE(reread.notOnRoster, matrix.notOnRoster);
        QCOMPARE(reread.problems.size(), matrix.problems.size());

        const report::RosterTable &in = roster->table();
        const report::RosterTable &out = again->table();
        QCOMPARE(out.encodingName(), in.encodingName());
        QCOMPARE(out.byteOrderMark(), in.byteOrderMark());
        const qsizetype added = out.rows().size() - in.rows().size(); // a list gets a header
        QVERIFY(added == 0 || (added == 1 && roster->headerRow() < 0));
        for (qsizetype r = 0; r < in.rows().size(); ++r) {
            const auto &was = in.rows()[r];
            const auto &is = out.rows()[r + added];
            QVERIFY2(out.raw(is.text.start, is.text.end)
                         .startsWith(in.raw(was.text.start, was.text.end)),
                     qPrintable(QString::number(r)));
            QCOMPARE(out.raw(is.text.end, is.lineEnd), in.raw(was.text.end, was.lineEnd));
        }

#ifdef Q_OS_WIN
        QSKIP("Python reads the grades back in the Linux build's test");
#endif
        if (!in.unclosedQuotes().isEmpty())
            QSKIP("no two readers agree on where a quote never closed ends");
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("grades.csv")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(grades);
        file.close();
        QProcess python;
        python.start(
            QStringLiteral("python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import csv, json, sys\n"
                            "with open(sys.argv[1], newline='', encoding=sys.argv[2]) as f:\n"
                            "    print(json.dumps(list(csv.reader(f, delimiter=sys.argv[3]))))"),
             file.fileName(), encoding, in.delimiter()});
        QVERIFY(python.waitForFinished(120000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError());
        const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
        const QJsonArray header = rows.first().toArray();
        QList<qsizetype> marks;
        for (const int assignment : matrix.assignments)
            marks.append(
                header.toVariantList().indexOf(report::GradesFile::columnTitle(assignment)));
        QCOMPARE(marks.size(), qsizetype(2));
        for (qsizetype e = 0; e < roster->entries().size(); ++e) {
            const QStringList expected = cells[e].split(u'|');
            const QJsonArray row = rows[roster->entries()[e].row + added].toArray();
            for (qsizetype a = 0; a < marks.size(); ++a)
                QCOMPARE(row[marks[a]].toString(), markOf(expected[a + 1], matrix.assignments[a]));
        }
        if (roster->pointsRow() >= 0) {
            const QJsonArray points = rows[roster->pointsRow()].toArray();
            QCOMPARE(points[marks[0]].toString(),
                     QString::number(questionIndex().questionCount(1)));
        }
    }

    // Whatever bytes a roster holds (stray quotes, line ends, NULs, cut characters), reading
    // never fails unsafely and the grades file, read again, lists the same students.
    void hostileBytesKeepTheirStudents_data()
    {
        matrixFromRoster_data();
    }

    void hostileBytesKeepTheirStudents()
    {
        QFETCH(QByteArray, bytes);
        QRandomGenerator random(quint32(qHash(bytes)));
        const QByteArray pieces[] = {"\"",   "\r",   "\n", "\r\n",
                                     ",",    ";",    "\t", QByteArray(1, 0),
                                     "\xFF", "\xC3", "#",  "Points Possible",
                                     "\"\""};
        for (int variant = 0; variant < 300; ++variant) {
            QByteArray hostile = bytes;
            for (int change = random.bounded(1, 5); change > 0; --change) {
                const qsizetype at = random.bounded(hostile.size() + 1);
                if (random.bounded(4) == 0)
                    hostile.remove(at, random.bounded(1, 4));
                else
                    hostile.insert(at, pieces[random.bounded(int(std::size(pieces)))]);
            }
            QString error;
            const std::optional<Roster> roster =
                Roster::fromBytes(QStringLiteral("r"), hostile, &error);
            if (!roster) {
                QVERIFY2(error.contains(QStringLiteral("UTF-16")), qPrintable(error));
                continue;
            }
            const ClassMatrix matrix = ClassMatrix::of(classRuns(), roster, due);
            const std::optional<Roster> again =
                Roster::fromBytes(QStringLiteral("g"),
                                  report::GradesFile::of(*roster, matrix, questionIndex()), &error);
            QVERIFY(again);
            const ClassMatrix reread = ClassMatrix::of(classRuns(), again, due);
            QVERIFY2(reread.students == matrix.students, hostile.toPercentEncoding().constData());
            QCOMPARE(cellsOf(reread), cellsOf(matrix));
        }
    }
};

QTEST_GUILESS_MAIN(TestRoster)
#include "tst_roster.moc"
