// SPDX-License-Identifier: MIT
#include "records/codepage.h"
#include "session.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList startUp = {QStringLiteral("Sam Student"), QString(), QStringLiteral("1")};

// The first question entry of assignment 001, as the record files hold it.
const QByteArray firstQuestion =
    "`q001.  There are 11 questions and 7 summary questions in this assignment.   \r\n\r\n"
    "What is the area of a rectangle whose dimensions are 4 m by 3 meters.";

// One notes record at the fake clock's fixed reading; the file lines end in CR LF.
QByteArray notesRecord(const QByteArray &entry, const QByteArray &note)
{
    return QByteArray(R"(......!!!!!!!!...................................
                                    09:05:30
                                    03-03-202609:05:30
@entry@
......!!!!!!!!...................................
NOTES -------> @note@
.................................................
)")
        .replace("\n", "\r\n")
        .replace("@entry@", entry)
        .replace("@note@", note);
}

// In the program's own code page: Qt's windows-1252 codec comes from ICU, which the Windows
// build of Qt lacks. tst_codepage holds that code page against ICU's where ICU is there.
QByteArray cp1252(const QString &text)
{
    return records::codepage::encode(text).value_or(QByteArray());
}

// The question box's own text: toPlainText() would turn no-break blanks of the code line
// into plain ones.
QString questionBox(const Session &run)
{
    return run.window->txt_question->document()->toRawText().replace(QChar::ParagraphSeparator,
                                                                     u'\n');
}

QString asShown(const QByteArray &fileBytes)
{
    return records::codepage::decode(fileBytes).replace(QStringLiteral("\r\n"),
                                                        QStringLiteral("\n"));
}

struct Files
{
    QByteArray master, send, notes;
    bool notesExists;
    bool operator==(const Files &) const = default;
};

Files filesOf(const Session &run)
{
    const auto &fields = run.window->runFields();
    return {fileBytes(fields.masterFileName), fileBytes(fields.sendFileName),
            fileBytes(fields.notesFileName), QFile::exists(fields.notesFileName)};
}

} // namespace

class TestNotesAndViewers : public QObject
{
    Q_OBJECT

private slots:
    void threeLineNoteGoesToAllThreeFiles()
    {
        QTemporaryDir dir;
        Session run(dir.path(), startUp);
        QVERIFY(run.started);
        run.window->cmdNextQuestion->click();
        const Files before = filesOf(run);
        QVERIFY(!before.notesExists);

        run.type(QStringLiteral("first\nsecond\nthird"));
        run.window->cmd_save_as_notes->click();

        const QByteArray record = notesRecord(firstQuestion, "first\r\nsecond\r\nthird");
        const Files after = filesOf(run);
        QCOMPARE(after.master, before.master + record);
        QCOMPARE(after.send, before.send + record);
        QCOMPARE(after.notes, record);
        QCOMPARE(run.question(), QString());
        QCOMPARE(run.answer(), QString());
        QVERIFY(run.platform.messagesShown.isEmpty());
        QVERIFY(!run.window->reader().instructionsPending);
        // Having saved, the student starts the next entry with an empty answer box.
        run.window->cmdNextQuestion->click();
        QCOMPARE(run.answer(), QString());
    }

    void noteAgainstInstructions_data()
    {
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replaceWith");
        QTest::addColumn<bool>("records");

        QTest::newRow("instructions untouched") << QString() << QString() << false;
        QTest::newRow("one blank more")
            << QStringLiteral("problems.") << QStringLiteral("problems. ") << true;
        QTest::newRow("one blank less")
            << QStringLiteral("errors.  Also") << QStringLiteral("errors. Also") << true;
    }
    void noteAgainstInstructions()
    {
        QFETCH(QString, find);
        QFETCH(QString, replaceWith);
        QFETCH(bool, records);
        QTemporaryDir dir;
        Session run(dir.path(), startUp);
        run.window->cmdNextQuestion->click();
        run.window->cmdNextQuestion->click();
        const QString instructions = run.window->runFields().instructionsText;
        QCOMPARE(run.answer(),
                 QString(instructions).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        if (!find.isEmpty()) {
            QVERIFY(run.answer().contains(find));
            run.type(run.answer().replace(find, replaceWith));
        }
        const Files before = filesOf(run);

        run.window->cmd_save_as_notes->click();

        const Files after = filesOf(run);
        QCOMPARE(run.question(), QString());
        QCOMPARE(run.answer(), QString());
        const QByteArray record =
            records ? notesRecord(cp1252(run.window->reader().currentLine),
                                  cp1252(QString(instructions).replace(find, replaceWith)))
                    : QByteArray();
        QCOMPARE(after.master, before.master + record);
        QCOMPARE(after.send, before.send + record);
        QCOMPARE(after.notes, record);
        QCOMPARE(after.notesExists, records);
        QCOMPARE(after.notes, record);
    }

    void unstorableNoteIsRefused_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("character");
        QTest::addColumn<QString>("spelling");

        QTest::newRow("pi") << QStringLiteral("A = \u03C0 r^2") << QStringLiteral("\u03C0")
                            << QStringLiteral("\"pi\"");
        QTest::newRow("no plain spelling known")
            << QStringLiteral("area\n\u9762\u7A4D") << QStringLiteral("\u9762") << QString();
    }
    void unstorableNoteIsRefused()
    {
        QFETCH(QString, note);
        QFETCH(QString, character);
        QFETCH(QString, spelling);
        QTemporaryDir dir;
        Session run(dir.path(), startUp);
        run.window->cmdNextQuestion->click();
        const QString question = run.question();
        const Files before = filesOf(run);
        run.type(note);

        run.window->cmd_save_as_notes->click();

        QCOMPARE(run.platform.messagesShown.size(), 1);
        const QString message = run.platform.messagesShown.first();
        QVERIFY2(message.contains(character), qPrintable(message));
        QVERIFY2(spelling.isEmpty() || message.contains(spelling), qPrintable(message));
        QVERIFY(filesOf(run) == before && !before.notesExists);
        QCOMPARE(run.answer(), note);
        QCOMPARE(run.question(), question);
    }

    void sendFileViewer_data()
    {
        QTest::addColumn<bool>("questionShown");
        QTest::addColumn<QByteArray>("appended");
        QTest::addColumn<QString>("shownTail");

        QTest::newRow("lone LF stays inside its line, empty line kept")
            << true << QByteArray("x\ny\r\n\r\nlast") << QStringLiteral("x\ny\n\nlast");
        QTest::newRow("empty question box")
            << false << QByteArray("x\ny\r\n\r\nlast") << QStringLiteral("x\ny\n\nlast");
        QTest::newRow("CR alone ends a line")
            << true << QByteArray("a\rb\r\n") << QStringLiteral("a\nb");
        QTest::newRow("CR then CR LF: an empty line")
            << false << QByteArray("a\r\r\nb") << QStringLiteral("a\n\nb");
        QTest::newRow("lone LF at the very end is part of the last line")
            << true << QByteArray("z\n") << QStringLiteral("z\n");
        QTest::newRow("two empty lines at the end")
            << true << QByteArray("\r\n\r\n") << QStringLiteral("\n");
    }
    void sendFileViewer()
    {
        QFETCH(bool, questionShown);
        QFETCH(QByteArray, appended);
        QFETCH(QString, shownTail);
        QTemporaryDir dir;
        Session run(dir.path(), startUp);
        if (questionShown)
            run.window->cmdNextQuestion->click();
        const QString sendPath = run.window->runFields().sendFileName;
        QFile send(sendPath);
        QVERIFY(send.open(QIODevice::Append));
        QCOMPARE(send.write(appended), appended.size());
        send.close();
        const Files before = filesOf(run);
        const QString earlier = questionBox(run);
        const QString answer = run.answer();
        QCOMPARE(earlier.isEmpty(), !questionShown);

        run.window->cmd_displayCumulativeText->click();
        run.window->cmd_displayCumulativeText->click();

        // The program's own lines all end in CR LF; the appended tail has no final line end.
        const QString shown = u'\n' + asShown(before.send.chopped(appended.size())) + shownTail;
        QCOMPARE(questionBox(run), earlier + shown + shown);
        QCOMPARE(run.answer(), answer);
        QVERIFY(filesOf(run) == before && !before.notesExists);
        QVERIFY(run.platform.messagesShown.isEmpty());
    }

    void notesViewer()
    {
        QTemporaryDir dir;
        Session run(dir.path(), startUp);
        run.window->cmdNextQuestion->click();
        const QString question = questionBox(run);
        const Files before = filesOf(run);

        // Before the first note there is no file to show: a message, and nothing is created.
        run.window->cmd_display_note_file->click();
        QCOMPARE(run.platform.messagesShown.size(), 1);
        QCOMPARE(questionBox(run), question);
        QVERIFY(filesOf(run) == before && !before.notesExists);

        run.type(QStringLiteral("rows times columns"));
        run.window->cmd_save_as_notes->click();
        run.window->cmdNextQuestion->click();
        const QString earlier = questionBox(run);
        QVERIFY(!earlier.isEmpty());
        run.window->cmd_display_note_file->click();

        const QByteArray record = notesRecord(firstQuestion, "rows times columns");
        QCOMPARE(fileBytes(run.window->runFields().notesFileName), record);
        QCOMPARE(questionBox(run), earlier + u'\n' + asShown(record).chopped(1));
        QCOMPARE(run.platform.messagesShown.size(), 1);
    }

    void unwritableNotesFileIsReported_data()
    {
        QTest::addColumn<bool>("fullDevice");
        QTest::newRow("write fails on a full device") << true;
        QTest::newRow("open fails on a folder") << false;
    }
    void unwritableNotesFileIsReported()
    {
        QFETCH(bool, fullDevice);
        const QString devFull = QStringLiteral("/dev/full");
        if (fullDevice && !QFile::exists(devFull))
            QSKIP("needs /dev/full to make a write fail");
        QTemporaryDir dir;
        Session run(dir.path(), startUp);
        run.window->cmdNextQuestion->click();
        const auto &fields = run.window->runFields();
        if (fullDevice)
            QVERIFY(QFile::link(devFull, fields.notesFileName));
        else
            QVERIFY(QDir().mkdir(fields.notesFileName));
        // Not filesOf(): reading /dev/full never ends.
        const QByteArray master = fileBytes(fields.masterFileName);
        const QByteArray send = fileBytes(fields.sendFileName);
        run.type(QStringLiteral("kept note"));

        run.window->cmd_save_as_notes->click();

        QCOMPARE(run.platform.messagesShown.size(), 1);
        const QString message = run.platform.messagesShown.first();
        QVERIFY2(message.contains(QDir::toNativeSeparators(fields.notesFileName)),
                 qPrintable(message));
        // A write failure comes after master and send have their whole record, and says so;
        // a file that cannot be opened stops the record before anything is written.
        const QByteArray record = fullDevice ? notesRecord(firstQuestion, "kept note") : "";
        for (const QString &path : {fields.masterFileName, fields.sendFileName})
            QVERIFY2(!fullDevice || message.contains(QDir::toNativeSeparators(path)),
                     qPrintable(message));
        QCOMPARE(fileBytes(fields.masterFileName), master + record);
        QCOMPARE(fileBytes(fields.sendFileName), send + record);
        QCOMPARE(run.answer(), QStringLiteral("kept note"));
        QVERIFY(!run.window->hasEnded());
        QVERIFY(!run.platform.exitRequested);

        const QString question = run.question();
        run.window->cmdNextQuestion->click();
        QVERIFY(run.question().size() > question.size());
        QVERIFY(run.question().startsWith(question));
    }
};

QTEST_MAIN(TestNotesAndViewers)
#include "tst_notesandviewers.moc"
