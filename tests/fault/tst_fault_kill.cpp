// SPDX-License-Identifier: MIT
// A run killed with SIGKILL, in a process of its own, at the worst moments: while the rating
// prompt is open (the record files are open then), at random moments while notes are being
// written, and the instant a note is seen half-way into the master file; and two copies of
// the program appending large records to the same files at once. The files only ever grow:
// after the next run every byte that was in a file is still there, in place; a record cut
// short by the kill stays, its line is closed by CR LF, and whole records follow.
#include "faultnote.h"
#include "recordreader.h"
#include "session.h"
#include "testwait.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

const QString studentName = QStringLiteral("Kim Doe");

struct RecordPaths
{
    QString master;
    QString send;
    QString notes;
};

RecordPaths pathsIn(const QString &folder)
{
    // The child's date is the scripted platform's 03-03-2026.
    return {folder + QStringLiteral("/masterFile_Kim_Doe.txt"),
            folder + QStringLiteral("/send_0303Kim_Doe.txt"),
            folder + QStringLiteral("/notes_Kim_Doe.txt")};
}

// Earlier runs in the folder: an opening block, a response and a note, so that there are
// earlier bytes in all three files for the killed run to damage.
bool writeEarlierRun(const QString &folder)
{
    Session run(folder, {studentName, QString(), QStringLiteral("1"), QStringLiteral("2")});
    if (!run.started)
        return false;
    run.window->cmdNextQuestion->click();
    run.type(QStringLiteral("An earlier response."));
    run.window->cmd_enter_response->click();
    run.type(QStringLiteral("An earlier note."));
    run.window->cmd_save_as_notes->click();
    return run.platform.messagesShown.isEmpty();
}

// The program's next run, which also saves a note, so that every file gets a record after
// whatever the killed run left.
bool nextRunWritesToAllFiles(const QString &folder)
{
    Session run(folder, {studentName, QString(), QStringLiteral("1")});
    if (!run.started)
        return false;
    run.type(QStringLiteral("The next run's note."));
    run.window->cmd_save_as_notes->click();
    return run.platform.messagesShown.isEmpty();
}

// The program leaves nothing in the folder but the three record files.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
const QStringList theThreeRecordFiles{QStringLiteral("masterFile_Kim_Doe.txt"),
                                      QStringLiteral("notes_Kim_Doe.txt"),
                                      QStringLiteral("send_0303Kim_Doe.txt")};

// How a file went on from `atKill` (its bytes when the writer was killed) to `after` (its
// bytes after the next run): every byte still there in place; whole records up to at most
// one record cut short, which must be the start of a record; then, when the file did not end
// in CR LF, CR LF; then whole records only. Empty when it is so, otherwise what is wrong.
QString grewWithoutLoss(const QByteArray &atKill, const QByteArray &after,
                        recordreader::FileKind kind)
{
    if (!after.startsWith(atKill))
        return QStringLiteral("bytes that were in the file changed or went");
    const auto killed = recordreader::parse(atKill, kind);
    const QByteArray torn = atKill.mid(killed.wholeBytes);
    const QByteArray recordStart = recordreader::openingRule + "\r\n";
    if (!recordStart.startsWith(torn.left(recordStart.size())))
        return QStringLiteral("the part after the whole records is not the start of a record");
    QByteArray added = after.mid(atKill.size());
    if (!atKill.isEmpty() && !atKill.endsWith("\r\n")) {
        if (!added.startsWith("\r\n"))
            return QStringLiteral("the torn line was not closed with CR LF");
        added.remove(0, 2);
    }
    const auto next = recordreader::parse(added, kind);
    if (!next.error.isEmpty())
        return QStringLiteral("after the kill: ") + next.error;
    if (next.records.isEmpty())
        return QStringLiteral("the next run added no record");
    return {};
}

struct Snapshot
{
    QByteArray master;
    QByteArray send;
    QByteArray notes;
};

Snapshot snapshotOf(const RecordPaths &paths)
{
    return {fileBytes(paths.master), fileBytes(paths.send), fileBytes(paths.notes)};
}

// Every notes record after the earlier run's note is the child's next note, whole and as
// typed. Returns an empty text or what is wrong.
QString notesAreTheChildsInOrder(const recordreader::ParsedFile &parsed, int lines)
{
    int i = -1; // the earlier run's note comes first
    for (const recordreader::Record &record : parsed.records) {
        if (record.kind != recordreader::Record::Kind::Notes)
            continue;
        if (i >= 0) {
            const QByteArray expected =
                recordreader::notesLabel + faultNote(i, lines).toLatin1().replace("\n", "\r\n");
            if (record.body != expected)
                return QStringLiteral("note %1 is not as typed").arg(i);
        }
        ++i;
    }
    return {};
}

// A file at rest ends with a whole record: a closing rule, or the date line of an opening
// block. Anything else means a write into it is under way.
bool endsOnARecord(QFile &file)
{
    const qint64 size = file.size();
    if (size < 51 || !file.seek(size - 51))
        return false;
    const QByteArray tail = file.read(51);
    return tail == recordreader::closingRule + "\r\n" || tail.endsWith("\r\n03-03-2026\r\n");
}

} // namespace

class TestFaultKill : public QObject
{
    Q_OBJECT

public:
    static void initMain() { testwait::raiseFunctionCeiling(20); }

private:
    // Starts the child and waits until it reports, with a line on its output, that it has
    // reached the moment to be killed; false if it ends (or hangs) before that.
    bool startChild(QProcess &child, const QStringList &arguments)
    {
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QStringLiteral(FAULT_CHILD), arguments);
        if (!child.waitForStarted(testwait::hangMs()))
            return false;
        while (!child.canReadLine()) {
            if (!child.waitForReadyRead(testwait::hangMs()))
                return false;
        }
        return child.readLine().trimmed() == "ready";
    }

    static bool killChild(QProcess &child)
    {
        child.kill(); // SIGKILL: no handler, no destructor, no flush runs
        return child.waitForFinished(testwait::hangMs()) &&
               child.exitStatus() == QProcess::CrashExit;
    }

    // What every kill must leave once the program has run again: the files as they were at
    // the kill, each followed by whole records (after CR LF where a record was cut short),
    // and nothing else in the folder.
    static void checkNextRunAfterKill(const QString &folder, const RecordPaths &paths,
                                      const Snapshot &before)
    {
        const Snapshot atKill = snapshotOf(paths);
        QVERIFY(atKill.master.startsWith(before.master));
        QVERIFY(atKill.send.startsWith(before.send));
        QVERIFY(atKill.notes.startsWith(before.notes));
        QCOMPARE(filesIn(folder), theThreeRecordFiles);

        QVERIFY(nextRunWritesToAllFiles(folder));
        const Snapshot after = snapshotOf(paths);
        QCOMPARE(grewWithoutLoss(atKill.master, after.master, recordreader::FileKind::Master),
                 QString());
        QCOMPARE(grewWithoutLoss(atKill.send, after.send, recordreader::FileKind::Send), QString());
        QCOMPARE(grewWithoutLoss(atKill.notes, after.notes, recordreader::FileKind::Notes),
                 QString());
        QCOMPARE(filesIn(folder), theThreeRecordFiles);
    }

private slots:
    void killedWhileTheRatingPromptIsOpen_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::newRow("confidence after a question") << QStringLiteral("question");
        QTest::newRow("self-critique after a worked answer") << QStringLiteral("answer");
    }
    void killedWhileTheRatingPromptIsOpen()
    {
        QFETCH(QString, shown);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("records"));
        const RecordPaths paths = pathsIn(folder);
        QVERIFY(writeEarlierRun(folder));
        const Snapshot before = snapshotOf(paths);
        QVERIFY(!before.notes.isEmpty());

        QProcess child;
        QVERIFY2(startChild(child, {QStringLiteral("rating"), folder, shown}),
                 "the child never reached the rating prompt");
        // The command has opened both record files and is waiting for the rating.
        const Snapshot atPrompt = snapshotOf(paths);
        QVERIFY(killChild(child));

        // Nothing of the interrupted response reached either file: it is written whole after
        // the rating, or not at all.
        const Snapshot atKill = snapshotOf(paths);
        QCOMPARE(atKill.master, atPrompt.master);
        QCOMPARE(atKill.send, atPrompt.send);
        QCOMPARE(atKill.notes, before.notes);
        const auto master = recordreader::parse(atKill.master, recordreader::FileKind::Master);
        const auto send = recordreader::parse(atKill.send, recordreader::FileKind::Send);
        QVERIFY2(master.error.isEmpty(), qPrintable(master.error));
        QVERIFY2(send.error.isEmpty(), qPrintable(send.error));
        // The earlier run's block and the killed run's opening block; one response, one note.
        for (const auto *parsed : {&master, &send}) {
            QCOMPARE(parsed->count(recordreader::Record::Kind::Opening), 2);
            QCOMPARE(parsed->count(recordreader::Record::Kind::Response), 1);
            QCOMPARE(parsed->count(recordreader::Record::Kind::Notes), 1);
        }
        checkNextRunAfterKill(folder, paths, before);
    }

    void killedAtRandomWhileSavingNotes_data()
    {
        QTest::addColumn<int>("earliestMs");
        // Windows spread over the first second or so of saving; the moment inside each is
        // drawn at random and printed, so a failure can be replayed.
        QTest::newRow("kill 1") << 5;
        QTest::newRow("kill 2") << 60;
        QTest::newRow("kill 3") << 170;
        QTest::newRow("kill 4") << 400;
        QTest::newRow("kill 5") << 800;
    }
    void killedAtRandomWhileSavingNotes()
    {
        QFETCH(int, earliestMs);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("records"));
        const RecordPaths paths = pathsIn(folder);
        QVERIFY(writeEarlierRun(folder));
        const Snapshot before = snapshotOf(paths);

        QProcess child;
        QVERIFY2(startChild(child, {QStringLiteral("notes"), folder}),
                 "the child never began saving notes");
        const int delayMs = earliestMs + int(QRandomGenerator::global()->bounded(100));
        qInfo("killing %d ms after saving began", delayMs);
        QThread::msleep(delayMs);
        QVERIFY2(!child.waitForFinished(0), "the child stopped by itself before it was killed");
        QVERIFY(killChild(child));

        // Each note goes to master, then send, then notes: a kill between two files leaves
        // the earlier files at most one note ahead, never behind. A note cut short does not
        // count.
        const Snapshot atKill = snapshotOf(paths);
        const auto master = recordreader::parse(atKill.master, recordreader::FileKind::Master);
        const auto send = recordreader::parse(atKill.send, recordreader::FileKind::Send);
        const auto notes = recordreader::parse(atKill.notes, recordreader::FileKind::Notes);
        const qsizetype inMaster = master.count(recordreader::Record::Kind::Notes) - 1;
        const qsizetype inSend = send.count(recordreader::Record::Kind::Notes) - 1;
        const qsizetype inNotes = notes.count(recordreader::Record::Kind::Notes) - 1;
        qInfo("whole notes saved before the kill: master %lld, send %lld, notes %lld",
              qint64(inMaster), qint64(inSend), qint64(inNotes));
        QVERIFY(inMaster >= inSend && inSend >= inNotes && inNotes >= inMaster - 1);
        QVERIFY(inMaster < faultNoteLimit);
        // Every whole note is the child's next note, as typed.
        QCOMPARE(notesAreTheChildsInOrder(master, faultNoteLines), QString());
        QCOMPARE(notesAreTheChildsInOrder(send, faultNoteLines), QString());
        QCOMPARE(notesAreTheChildsInOrder(notes, faultNoteLines), QString());

        checkNextRunAfterKill(folder, paths, before);
    }

    // The sharpest moment: the master file is watched, and the child is killed the instant
    // the file shows a record only partly there, that is, inside the one write of a record.
    // Large notes make that write long enough to be seen.
    void killedInsideTheWriteOfANote_data()
    {
        QTest::addColumn<int>("lines");
        QTest::newRow("1 MB notes") << 10000;
        QTest::newRow("2 MB notes") << 20000;
        QTest::newRow("4 MB notes") << 40000;
    }
    void killedInsideTheWriteOfANote()
    {
        QFETCH(int, lines);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("records"));
        const RecordPaths paths = pathsIn(folder);
        QVERIFY(writeEarlierRun(folder));
        const Snapshot before = snapshotOf(paths);

        QProcess child;
        QVERIFY2(startChild(child, {QStringLiteral("notes"), folder, QString::number(lines)}),
                 "the child never began saving notes");
        QFile watched(paths.master);
        QVERIFY(watched.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        // Watch until the child runs out of notes; the ceiling only stops a hang.
        const QDeadlineTimer deadline(testwait::hangMs());
        bool caught = false;
        for (qint64 polls = 1; !caught && !deadline.hasExpired(); ++polls) {
            caught = !endsOnARecord(watched);
            if (polls % 4096 == 0 && child.waitForFinished(0))
                break;
        }
        if (!caught)
            QSKIP("The master file was never seen in the middle of a write: nothing to judge");
        QVERIFY(killChild(child));
        const QByteArray killedAt = fileBytes(paths.master);
        const auto torn = recordreader::parse(killedAt, recordreader::FileKind::Master);
        qInfo("killed with the master file at %lld bytes (%s); the child's run began at %lld",
              qint64(killedAt.size()), torn.error.isEmpty() ? "whole records" : "mid-record",
              qint64(before.master.size()));
        QCOMPARE(notesAreTheChildsInOrder(torn, lines), QString());

        checkNextRunAfterKill(folder, paths, before);
        // The note cut short is still there, where it was written, for the reader to see.
        if (!torn.error.isEmpty())
            QCOMPARE(
                fileBytes(paths.master).mid(torn.wholeBytes, killedAt.size() - torn.wholeBytes),
                killedAt.mid(torn.wholeBytes));
    }

    // Two copies of the program on the same files, each appending 1 MB notes as fast as it
    // can: every record of both is there, whole, and no two are mixed.
    void twoCopiesAppendToTheSameFiles()
    {
        constexpr int recordsEach = 200;
        constexpr int linesEach = 10000; // 1 MB a note
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("records"));
        QVERIFY(QDir().mkdir(folder));
        const RecordPaths paths = pathsIn(folder);

        const QString count = QString::number(recordsEach);
        const QString lines = QString::number(linesEach);
        QProcess copies[2];
        const QString tags[2] = {QStringLiteral("A"), QStringLiteral("B")};
        for (int copy = 0; copy < 2; ++copy) {
            QVERIFY(startChild(copies[copy],
                               {QStringLiteral("append"), folder, tags[copy], count, lines}));
        }
        for (QProcess &copy : copies) {
            QVERIFY(copy.waitForFinished(testwait::hangMs(5)));
            QCOMPARE(copy.exitStatus(), QProcess::NormalExit);
            QCOMPARE(copy.exitCode(), 0);
        }

        const std::pair<QString, recordreader::FileKind> files[] = {
            {paths.master, recordreader::FileKind::Master},
            {paths.send, recordreader::FileKind::Send},
            {paths.notes, recordreader::FileKind::Notes}};
        for (const auto &[path, kind] : files) {
            const auto parsed = recordreader::parse(fileBytes(path), kind);
            QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
            QCOMPARE(parsed.count(recordreader::Record::Kind::Notes), 2 * recordsEach);
            // Each copy's notes in its own order, each exactly as it was written.
            int next[2] = {0, 0};
            int turns = 0; // how often the writing copy changed: the two really ran together
            for (const recordreader::Record &record : parsed.records) {
                const int copy = record.body.startsWith(recordreader::notesLabel + "A ") ? 0 : 1;
                turns += &record != &parsed.records.first() &&
                         !record.body.startsWith((&record - 1)->body.left(16));
                const QString note = tags[copy] + QStringLiteral(" note ") +
                                     QString::number(next[copy]) + u'\n' +
                                     faultNote(next[copy], linesEach);
                QVERIFY2(record.body ==
                             recordreader::notesLabel + note.toLatin1().replace("\n", "\r\n"),
                         qPrintable(tags[copy] +
                                    QStringLiteral(" note %1 is not whole").arg(next[copy])));
                ++next[copy];
            }
            QCOMPARE(next[0], recordsEach);
            QCOMPARE(next[1], recordsEach);
            qInfo("%s: the writing copy changed %d times", qPrintable(path.section(u'/', -1)),
                  turns);
            QVERIFY(turns > 1);
        }
        QCOMPARE(filesIn(folder), theThreeRecordFiles);
    }

    // The reader the kill tests rely on refuses every file that stops inside a record, so
    // that a half-written record cannot pass for a whole one.
    void readerRefusesEveryCutInsideARecord_data()
    {
        QTest::addColumn<int>("file");
        QTest::newRow("master") << int(recordreader::FileKind::Master);
        QTest::newRow("send") << int(recordreader::FileKind::Send);
        QTest::newRow("notes") << int(recordreader::FileKind::Notes);
    }
    void readerRefusesEveryCutInsideARecord()
    {
        QFETCH(int, file);
        const auto kind = recordreader::FileKind(file);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("records"));
        QVERIFY(writeEarlierRun(folder));
        const RecordPaths paths = pathsIn(folder);
        const QByteArray whole = fileBytes(kind == recordreader::FileKind::Master ? paths.master
                                           : kind == recordreader::FileKind::Send ? paths.send
                                                                                  : paths.notes);
        const auto parsed = recordreader::parse(whole, kind);
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));

        // The offsets at which a record ends, found by parsing growing prefixes.
        QList<qsizetype> boundaries{0};
        for (qsizetype cut = 1; cut <= whole.size(); ++cut) {
            if (recordreader::parse(whole.left(cut), kind).error.isEmpty())
                boundaries.append(cut);
        }
        const qsizetype expected = kind == recordreader::FileKind::Notes ? 1 : 3;
        QCOMPARE(boundaries.size() - 1, expected);
        QCOMPARE(boundaries.last(), whole.size());
        QCOMPARE(qsizetype(parsed.records.size()), expected);
    }
};

QTEST_MAIN(TestFaultKill)
#include "tst_fault_kill.moc"
