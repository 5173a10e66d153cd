// SPDX-License-Identifier: MIT
#include "report/reportcommand.h"
#include "walkedrun.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

Outcome runReport(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(BEXLORIN_REPORT), arguments);
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

QMap<QString, FileState> stateOf(const QString &folder)
{
    QMap<QString, FileState> state;
    const QDir dir(folder);
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(info.filePath());
        file.open(QIODevice::ReadOnly);
        state.insert(info.fileName(), {file.readAll(), info.lastModified(), info.permissions()});
    }
    return state;
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
        QCOMPARE(rows.first().size(), 12);
        QCOMPARE(rows.first().at(10), QStringLiteral("response"));

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

    // The table: one row per run, with the run's code number and questions answered.
    void tableOnTheTerminal()
    {
        const Outcome outcome = runReport({records_.path()});
        QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
        const QStringList lines = outcome.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2 + 2 * walks_.size()); // headers, rule, master and send runs
        QVERIFY(lines.first().startsWith(QStringLiteral("student")));
        for (const WalkedRun &walk : walks_) {
            const QString student = QFileInfo(walk.master).baseName().mid(11).replace(u'_', u' ');
            const QString row = QStringLiteral("%1 +send +%2 +").arg(student, walk.date);
            QVERIFY(std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
                return line.contains(QRegularExpression(row)) &&
                       line.contains(QStringLiteral("  %1  ").arg(walk.codeNumber));
            }));
        }
        QVERIFY(outcome.out.contains(QStringLiteral("18 of 18")));
        QVERIFY(outcome.out.contains(QStringLiteral("13 of 13")));
        // Ratings that are no number are noted, never failed on.
        QVERIFY(outcome.err.contains(QStringLiteral("note: the rating \"pretty sure\"")));
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0
                              << QStringLiteral("--csv <file>");
        QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0
                                 << QStringLiteral("bexlorin-report 1.");
        QTest::newRow("no input") << QStringList{} << 2 << QStringLiteral("name at least one");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--pdf")} << 2 << QStringLiteral("Unknown option");
        QTest::newRow("missing file") << QStringList{QStringLiteral("/nonexistent/send_0303x.txt")}
                                      << 2 << QStringLiteral("no such file");
        QTest::newRow("CSV option without its file")
            << QStringList{QStringLiteral("--csv")} << 2 << QStringLiteral("Missing value");
    }
    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, says);
        const Outcome outcome = runReport(arguments);
        QCOMPARE(outcome.status, status);
        QVERIFY2((outcome.out + outcome.err).contains(says), qPrintable(outcome.out + outcome.err));
    }

    // A file with problems: exit status 1, and the outputs are still written.
    void problemsStillWriteTheOutputs()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString send = QFileInfo(walks_.first().send).fileName();
        QVERIFY(QFile::copy(walks_.first().send, dir.filePath(send)));
        // A second copy of the same runs under another day's name: dates and runs disagree.
        const QString copy = QStringLiteral("send_1231Sam_Student.txt");
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
