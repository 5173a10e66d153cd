// SPDX-License-Identifier: MIT
// Record files that refuse the write (a path that leads to /dev/full), whose flush to the
// disk fails after the write (fsync failing with EIO, through a preloaded library) and an
// output folder that disappears during the run. The student must be told which file failed, must
// not be told that a file holds a record it does not hold, keeps what was typed, and can go on.
#include "recordreader.h"
#include "session.h"
#include "testwait.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString studentName = QStringLiteral("Kim Doe");
const QString typed = QStringLiteral("The area is 12 m^2.\nI multiplied the two sides.");

// What the record holds of `typed`: the answer box's line break becomes CR LF.
QByteArray typedBytes()
{
    return typed.toLatin1().replace("\n", "\r\n");
}

enum class Command { EnterResponse, SaveAsNotes };

// How the refusing file refuses: every write fails, or the write goes through and the flush
// that must follow it fails.
enum class Refusal { DeviceFull, FlushFails };

// The files of each command, in the order they are written.
QStringList filesOf(Command command, const app::RunFields &fields)
{
    QStringList files{fields.masterFileName, fields.sendFileName};
    if (command == Command::SaveAsNotes)
        files.append(fields.notesFileName);
    return files;
}

recordreader::FileKind kindOf(int position)
{
    return position == 0   ? recordreader::FileKind::Master
           : position == 1 ? recordreader::FileKind::Send
                           : recordreader::FileKind::Notes;
}

QPushButton *buttonOf(Command command, Bexlorin &window)
{
    return command == Command::EnterResponse ? window.cmd_enter_response : window.cmd_save_as_notes;
}

// Whether the message tells the student that `path` holds the record. The program words a
// partial success as: the record was saved in A, B but not in C.
bool claimsToHold(const QString &message, const QString &path)
{
    const qsizetype saved = message.indexOf(QStringLiteral("saved in"));
    if (saved < 0)
        return false;
    const qsizetype notIn = message.indexOf(QStringLiteral("not in"), saved);
    const QString claim = message.mid(saved, notIn < 0 ? -1 : notIn - saved);
    return claim.contains(QDir::toNativeSeparators(path));
}

// `after` is `before` followed by exactly one more whole record of `kind`.
QString oneMoreRecord(const QByteArray &before, const QByteArray &after,
                      recordreader::FileKind file, recordreader::Record::Kind kind)
{
    if (!after.startsWith(before))
        return QStringLiteral("earlier bytes changed");
    const auto parsedBefore = recordreader::parse(before, file);
    const auto parsedAfter = recordreader::parse(after, file);
    if (!parsedAfter.error.isEmpty())
        return parsedAfter.error;
    if (parsedAfter.records.size() != parsedBefore.records.size() + 1 ||
        parsedAfter.records.last().kind != kind)
        return QStringLiteral("not exactly one more record of the right kind");
    return {};
}

} // namespace

class TestFaultWriteFailure : public QObject
{
    Q_OBJECT

private slots:
    void writeRefused_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("refusing"); // position of the refusing file in the write order
        QTest::addColumn<int>("refusal");
        const int full = int(Refusal::DeviceFull);
        const int flush = int(Refusal::FlushFails);
        QTest::newRow("Enter Response, master file refuses")
            << int(Command::EnterResponse) << 0 << full;
        QTest::newRow("Enter Response, send file refuses")
            << int(Command::EnterResponse) << 1 << full;
        QTest::newRow("Save as Notes, master file refuses")
            << int(Command::SaveAsNotes) << 0 << full;
        QTest::newRow("Save as Notes, send file refuses") << int(Command::SaveAsNotes) << 1 << full;
        QTest::newRow("Save as Notes, notes file refuses")
            << int(Command::SaveAsNotes) << 2 << full;
        QTest::newRow("Enter Response, master file's flush fails")
            << int(Command::EnterResponse) << 0 << flush;
        QTest::newRow("Save as Notes, send file's flush fails")
            << int(Command::SaveAsNotes) << 1 << flush;
        QTest::newRow("Save as Notes, notes file's flush fails")
            << int(Command::SaveAsNotes) << 2 << flush;
    }
    void writeRefused()
    {
        QFETCH(int, command);
        QFETCH(int, refusing);
        QFETCH(int, refusal);
        const bool flushFails = Refusal(refusal) == Refusal::FlushFails;
        if (!flushFails && !QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("This system has no /dev/full");
        if (flushFails && !qEnvironmentVariableIsSet("BEXLORIN_FSYNC_PRELOADED")) {
            rerunWithFailingFlush();
            return;
        }
        const auto cmd = Command(command);
        const auto recordKind = cmd == Command::EnterResponse ? recordreader::Record::Kind::Response
                                                              : recordreader::Record::Kind::Notes;
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Session run(dir.path(), {studentName, QString(), QStringLiteral("1")});
        QVERIFY(run.started);
        run.platform.answers.append({QStringLiteral("2"), QStringLiteral("3")});
        run.window->cmdNextQuestion->click();

        const QStringList files = filesOf(cmd, run.window->runFields());
        QList<QByteArray> before;
        for (const QString &path : files)
            before.append(fileBytes(path));
        // The refusing path leads to a device on which every write fails for want of space,
        // or the preloaded library fails its flush.
        const QString refused = files[refusing];
        const QString kept = dir.filePath(QStringLiteral("kept"));
        if (flushFails) {
            qputenv("BEXLORIN_FAIL_FSYNC", QFile::encodeName(QDir(dir.path()).canonicalPath() +
                                                             u'/' + QFileInfo(refused).fileName()));
        } else {
            if (QFile::exists(refused))
                QVERIFY(QFile::rename(refused, kept));
            QVERIFY(QFile::link(QStringLiteral("/dev/full"), refused));
        }

        run.type(typed);
        buttonOf(cmd, *run.window)->click();

        QCOMPARE(run.platform.messagesShown.size(), 1);
        const QString message = run.platform.messagesShown.first();
        QVERIFY2(message.contains(QDir::toNativeSeparators(refused)), qPrintable(message));
        QVERIFY2(!claimsToHold(message, refused), qPrintable(message));
        // Files are written in order and writing stops at the refusing one: those before it
        // hold the record whole and are named as holding it, those after keep their bytes.
        for (int i = 0; i < files.size(); ++i) {
            if (i == refusing) {
                // A failed flush comes after the write: the record is there, whole, though
                // the student is told it may not be kept.
                if (flushFails)
                    QCOMPARE(oneMoreRecord(before[i], fileBytes(files[i]), kindOf(i), recordKind),
                             QString());
                continue;
            }
            if (i < refusing) {
                QCOMPARE(oneMoreRecord(before[i], fileBytes(files[i]), kindOf(i), recordKind),
                         QString());
                QVERIFY2(claimsToHold(message, files[i]), qPrintable(message));
            } else {
                QCOMPARE(fileBytes(files[i]), before[i]);
                QVERIFY2(!claimsToHold(message, files[i]), qPrintable(message));
            }
        }
        QCOMPARE(run.answer(), typed);
        QVERIFY(!run.window->hasEnded());
        QVERIFY(!run.platform.exitRequested);

        // Once the file takes writes again, the same click records.
        if (flushFails) {
            qunsetenv("BEXLORIN_FAIL_FSYNC");
        } else {
            QVERIFY(QFile::remove(refused));
            if (QFile::exists(kept))
                QVERIFY(QFile::rename(kept, refused));
        }
        QList<QByteArray> beforeRetry;
        for (const QString &path : files)
            beforeRetry.append(fileBytes(path));
        buttonOf(cmd, *run.window)->click();
        QCOMPARE(run.platform.messagesShown.size(), 1);
        QCOMPARE(run.answer(), QString());
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(oneMoreRecord(beforeRetry[i], fileBytes(files[i]), kindOf(i), recordKind),
                     QString());
        QVERIFY(fileBytes(files[refusing]).startsWith(before[refusing]));
        QVERIFY(fileBytes(files[refusing]).contains(typedBytes()));
    }

private:
    // The failing flush needs the library loaded before the program: the same row runs again
    // in a process of its own with it preloaded, and must pass there.
    void rerunWithFailingFlush()
    {
#ifndef FAIL_FSYNC_LIBRARY
        QSKIP("A failing flush is made by preloading a library, which only Linux does; on "
              "Windows (and under Wine) FlushFileBuffers cannot be made to fail this way.");
#else
        const QString testCase =
            QStringLiteral("writeRefused:") + QString::fromUtf8(QTest::currentDataTag());
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(FAIL_FSYNC_LIBRARY));
        environment.insert(QStringLiteral("BEXLORIN_FSYNC_PRELOADED"), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {testCase});
        QVERIFY(child.waitForFinished(testwait::hangMs()));
        const QString output = QString::fromLocal8Bit(child.readAll());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("PASS   : TestFaultWriteFailure::writeRefused(") +
                                 QString::fromUtf8(QTest::currentDataTag()) + u')'),
                 qPrintable(output));
#endif
    }

private slots:
    void folderRemovedDuringTheRun_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("Enter Response") << int(Command::EnterResponse);
        QTest::newRow("Save as Notes") << int(Command::SaveAsNotes);
    }
    void folderRemovedDuringTheRun()
    {
        QFETCH(int, command);
        const auto cmd = Command(command);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("records"));
        Session run(folder, {studentName, QString(), QStringLiteral("1")});
        QVERIFY(run.started);
        run.platform.answers.append({QStringLiteral("2"), QStringLiteral("3")});
        run.window->cmdNextQuestion->click();
        const QStringList files = filesOf(cmd, run.window->runFields());

        QVERIFY(QDir(folder).removeRecursively());
        run.type(typed);
        buttonOf(cmd, *run.window)->click();

        QCOMPARE(run.platform.messagesShown.size(), 1);
        const QString message = run.platform.messagesShown.first();
        QVERIFY2(message.contains(QDir::toNativeSeparators(files.first())), qPrintable(message));
        for (const QString &path : files)
            QVERIFY2(!claimsToHold(message, path), qPrintable(message));
        QCOMPARE(run.answer(), typed);
        QVERIFY(!run.window->hasEnded());
        QVERIFY(!run.platform.exitRequested);
        QVERIFY(!QDir(folder).exists()); // nothing was written anywhere else either

        QVERIFY(QDir().mkdir(folder));
        buttonOf(cmd, *run.window)->click();
        QCOMPARE(run.platform.messagesShown.size(), 1);
        QCOMPARE(run.answer(), QString());
        const auto recordKind = cmd == Command::EnterResponse ? recordreader::Record::Kind::Response
                                                              : recordreader::Record::Kind::Notes;
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(oneMoreRecord(QByteArray(), fileBytes(files[i]), kindOf(i), recordKind),
                     QString());
    }

    // A shared class folder in which no new file can be made, holding the student's record
    // files, which can be written: the run goes on as anywhere else, and nothing else is made
    // there. The run is a process of its own so that, when the test runs as root (whom no
    // folder refuses), it can run as an unprivileged user.
    void readOnlyFolderWithWritableRecordFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("class"));
        {
            Session earlier(folder, {studentName, QString(), QStringLiteral("1")});
            QVERIFY(earlier.started);
            earlier.type(QStringLiteral("An earlier note."));
            earlier.window->cmd_save_as_notes->click();
            QVERIFY(earlier.platform.messagesShown.isEmpty());
        }
        const QStringList names = QDir(folder).entryList(QDir::Files);
        QCOMPARE(names.size(), 3);
        QList<QByteArray> before;
        for (const QString &name : names) {
            const QString path = folder + u'/' + name;
            before.append(fileBytes(path));
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                                    QFile::ReadGroup | QFile::WriteGroup |
                                                    QFile::ReadOther | QFile::WriteOther));
        }
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                            QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(dir.path(), readOnly | QFile::WriteOwner));
        QVERIFY(QFile::setPermissions(folder, readOnly));
        const auto restore =
            qScopeGuard([&] { QFile::setPermissions(folder, readOnly | QFile::WriteOwner); });
        const QString markers = dir.filePath(QStringLiteral("markers"));
        QVERIFY(QDir().mkdir(markers));
        QVERIFY(QFile::setPermissions(markers, readOnly | QFile::WriteOwner | QFile::WriteGroup |
                                                   QFile::WriteOther));

        QString program = QStringLiteral(FAULT_CHILD);
        QStringList arguments{QStringLiteral("session"), folder,
                              markers + QStringLiteral("/started")};
        // A user whom the folder does not refuse (root) runs the session as another one.
        QFile probe(folder + QStringLiteral("/probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
                QSKIP("A read-only folder does not stop this user making files here (on Windows "
                      "it never does), and there is no setpriv to run as another user.");
            arguments =
                QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                            QStringLiteral("--clear-groups"), program} +
                arguments;
            program = QStringLiteral("setpriv");
        }
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        environment.insert(QStringLiteral("HOME"), markers);
        child.setProcessEnvironment(environment);
        child.start(program, arguments);
        QVERIFY(child.waitForFinished(testwait::hangMs()));
        if (!QFile::exists(markers + QStringLiteral("/started")))
            QSKIP(qPrintable(QStringLiteral("The run could not be started as an unprivileged user "
                                            "from this build folder: ") +
                             QString::fromLocal8Bit(child.readAllStandardError())));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 qPrintable(QString::fromLocal8Bit(child.readAllStandardError())));

        // Each file grew, behind every byte it had: an opening block, a response and a note in
        // the master and send files, the note in the notes file.
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                        QDir::NoDotAndDotDot),
                 names);
        const QList<int> added{3, 1, 3}; // masterFile_, notes_, send_ in name order
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QByteArray after = fileBytes(folder + u'/' + names[i]);
            QVERIFY(after.startsWith(before[i]));
            const auto kind = names[i].startsWith(u'm')   ? recordreader::FileKind::Master
                              : names[i].startsWith(u's') ? recordreader::FileKind::Send
                                                          : recordreader::FileKind::Notes;
            const auto earlierRecords = recordreader::parse(before[i], kind);
            const auto parsed = recordreader::parse(after, kind);
            QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
            QCOMPARE(parsed.records.size() - earlierRecords.records.size(), qsizetype(added[i]));
        }
    }
};

QTEST_MAIN(TestFaultWriteFailure)
#include "tst_fault_writefailure.moc"
