// SPDX-License-Identifier: MIT
#include "app/runsetup.h"
#include "bank/assignmentcontent.h"
#include "bank/markup.h"
#include "records/codepage.h"
#include "records/linecoding.h"
#include "session.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString crlf = QStringLiteral("\r\n");

// The record layout, written out here rather than taken from the program, so the walk checks
// the program's composition against an independent statement of it.
const QString masterRecordTemplate =
    QStringLiteral("......!!!!!!!!...................................\r\n"
                   "                                    <time>\r\n"
                   "\r\n"
                   "\r\n"
                   "`questionNumber <n> \r\n"
                   "<entry>\r\n"
                   "......!!!!!!!!...................................\r\n"
                   "RESPONSE -->  \r\n"
                   "<response>\r\n"
                   "<rating>"
                   ".................................................\r\n");

QString expectedRecord(bool master, const QString &entry, const QString &response, int n,
                       const QString &ratingLine)
{
    QString record = masterRecordTemplate;
    if (!master)
        record.remove(QStringLiteral("\r\n\r\n`questionNumber <n> \r\n"));
    return record.replace(QStringLiteral("<time>"), QStringLiteral("09:05:30"))
        .replace(QStringLiteral("<n>"), QString::number(n))
        .replace(QStringLiteral("<entry>"), entry)
        .replace(QStringLiteral("<response>"), response)
        .replace(QStringLiteral("<rating>"), ratingLine.isNull() ? QString() : ratingLine + crlf);
}

// The prompts and the instructions as the student must see them, word for word.
const QString confidencePrompt = QStringLiteral(
    "Assess your level of confidence in your answer on a scale from 0 to 3, where 0 means you "
    "have no confidence in your answer, 1 means you have some confidence, 2 means you are pretty "
    "confident and 3 means you are certain of your answer:");
const QString selfCritiquePrompt = QStringLiteral(
    "Rate the quality of your self-critique on a 0-3 scale, where 0 indicates that self-critique "
    "was necessary on this question but was not given, 1 indicates that self-critique was "
    "necessary but the given self-critique was not adequate, 2 indicates that self-critique was "
    "necessary and was mostly adequate, and 3 indicates that either self-critique was not "
    "necessary or that after reading the solution everything was completely obvious so you "
    "skipped the self-critique.");
const QString instructionsInBox = QStringLiteral(
    "Enter, as appropriate, an answer to the question, a critique of your answer in response to "
    "a given answer, your insights regarding the situation at this point, notes to yourself, or "
    "just an OK.\n\nAlways critique your solutions by describing any insights you had or errors "
    "you makde, and by explaining how you can make use of the insight or how you now know how to "
    "avoid certain errors.  Also pose for the instructor any question or questions that you have "
    "related to the problem or series of problems.");

QString shownInBox(const QString &storeLine)
{
    return QString(storeLine)
        .replace(QStringLiteral("{}"), QStringLiteral("\n"))
        .replace(crlf, QStringLiteral("\n"));
}

QString decoded(const QString &path)
{
    return records::codepage::decode(fileBytes(path));
}

} // namespace

class TestQuestionCycle : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir scratch_;
    int runs_ = 0;

    QString folder() { return scratch_.path() + QStringLiteral("/run") + QString::number(++runs_); }

private slots:
    void firstTwoClicksOfTheFirstAssignment()
    {
        Session run(folder(), {QStringLiteral("Ann"), QString(), QStringLiteral("1")});
        const QStringList content = bank::assignmentContent();
        run.window->cmdNextQuestion->click();
        QCOMPARE(run.question(), shownInBox(content[2]));
        QVERIFY(run.question().startsWith(QStringLiteral("`q001.  There are 11 questions")));
        QCOMPARE(run.question().count(u'\n'), 2);
        QCOMPARE(run.answer(), QStringLiteral(" ")); // the first read leaves the box alone
        QCOMPARE(run.window->reader().currentKind, QStringLiteral("question"));
        QCOMPARE(run.window->reader().questionNumber, QStringLiteral("1"));

        run.type(QStringLiteral("typed but never entered"));
        run.window->cmdNextQuestion->click();
        // The answer follows the question directly, and the instructions replace the typing.
        QCOMPARE(run.question(), shownInBox(content[2]) + shownInBox(content[4].mid(2)));
        QCOMPARE(run.answer(), instructionsInBox);
        QCOMPARE(run.window->reader().currentKind, QStringLiteral("answer"));
        QCOMPARE(run.window->lineStore().bankLineCount, 5);
        QCOMPARE(run.window->questionBoxTextField(),
                 QString(content[2]).replace(QStringLiteral("{}"), crlf) + content[4].mid(2));
    }

    void untouchedInstructionsRecordNothing()
    {
        Session run(folder(), {QStringLiteral("Ann"), QString(), QStringLiteral("1")});
        run.window->cmdNextQuestion->click();
        run.window->cmdNextQuestion->click();
        const QByteArray before = fileBytes(run.window->runFields().masterFileName);
        run.window->cmd_enter_response->click();
        QCOMPARE(run.question(), QString());
        QCOMPARE(run.answer(), QString());
        QCOMPARE(fileBytes(run.window->runFields().masterFileName), before);
        QCOMPARE(run.platform.promptsShown.size(), 3);
        // One more blank is a response of its own.
        run.window->cmdNextQuestion->click();
        run.type(app::runsetup::instructionsText() + u' ');
        run.platform.answers.enqueue(QStringLiteral("2"));
        run.window->cmd_enter_response->click();
        QVERIFY(fileBytes(run.window->runFields().masterFileName).size() > before.size());
    }

    void ratingsAreRecordedAsTyped_data()
    {
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QStringList>("typed"); // at each rating prompt, in turn
        QTest::addColumn<QString>("ratingLine");
        QTest::addColumn<QString>("prompt");
        const QString circledThree = QString::fromUtf16(u"\u2462");
        const QString arrow = QString::fromUtf16(u"\u2192");
        QTest::newRow("7 after a question")
            << 1 << QStringList{QStringLiteral("7")} << QStringLiteral("confidence assessment:  7")
            << confidencePrompt;
        QTest::newRow("a word after a question")
            << 1 << QStringList{QStringLiteral("pretty sure")}
            << QStringLiteral("confidence assessment:  pretty sure") << confidencePrompt;
        QTest::newRow("cancel after a question")
            << 1 << QStringList{QString()} << QStringLiteral("confidence assessment:  ")
            << confidencePrompt;
        QTest::newRow("after an answer")
            << 2 << QStringList{QStringLiteral("3")}
            << QStringLiteral("self critique assessment: 3") << selfCritiquePrompt;
        QTest::newRow("cancel after an answer")
            << 2 << QStringList{QString()} << QStringLiteral("self critique assessment: ")
            << selfCritiquePrompt;
        QTest::newRow("before any line")
            << 0 << QStringList{QStringLiteral("unused")} << QString() << QString();
        // A rating the files cannot store is asked for again; the response waits for it.
        QTest::newRow("circled three, then 2")
            << 1 << QStringList{circledThree, QStringLiteral("2")}
            << QStringLiteral("confidence assessment:  2") << confidencePrompt;
        QTest::newRow("arrow twice, then cancel after an answer")
            << 2 << QStringList{arrow + QStringLiteral("3"), arrow, QString()}
            << QStringLiteral("self critique assessment: ") << selfCritiquePrompt;
    }
    void ratingsAreRecordedAsTyped()
    {
        QFETCH(int, clicks);
        QFETCH(QStringList, typed);
        QFETCH(QString, ratingLine);
        QFETCH(QString, prompt);
        Session run(folder(), {QStringLiteral("Ann"), QString(), QStringLiteral("1")});
        for (int i = 0; i < clicks; ++i)
            run.window->cmdNextQuestion->click();
        const QString before = decoded(run.window->runFields().masterFileName);
        const QString sendBefore = decoded(run.window->runFields().sendFileName);
        run.type(QStringLiteral("line one\nline two\nline three"));
        run.platform.answers.append(typed);
        run.window->cmd_enter_response->click();

        const qsizetype asked = ratingLine.isNull() ? 0 : typed.size();
        QCOMPARE(run.platform.promptsShown.size(), 3 + asked);
        for (qsizetype i = 3; i < run.platform.promptsShown.size(); ++i)
            QCOMPARE(run.platform.promptsShown[i], prompt);
        // One message for each refused rating, naming what cannot be stored; never a claim
        // that the response is still in the box.
        QCOMPARE(run.platform.messagesShown.size(), qMax<qsizetype>(0, asked - 1));
        for (qsizetype i = 0; i < run.platform.messagesShown.size(); ++i) {
            const QString &message = run.platform.messagesShown[i];
            QVERIFY2(message.contains(typed[i].left(1)), qPrintable(message));
            QVERIFY2(message.contains(QStringLiteral("type the rating again")),
                     qPrintable(message));
            QVERIFY2(!message.contains(QStringLiteral("answer box")), qPrintable(message));
        }
        if (clicks == 2)
            QCOMPARE(run.window->selfCritiqueRatingField(), typed.last());
        const QString entry = run.window->reader().currentLine;
        const int n = clicks == 0 ? 10000 : 10001;
        const QString response = QStringLiteral("line one\r\nline two\r\nline three");
        QCOMPARE(decoded(run.window->runFields().masterFileName),
                 before + expectedRecord(true, entry, response, n, ratingLine));
        QCOMPARE(decoded(run.window->runFields().sendFileName),
                 sendBefore + expectedRecord(false, entry, response, n, ratingLine));
        QCOMPARE(run.question(), QString());
        QCOMPARE(run.answer(), QString());
    }

    void eachFileReadsTheClockForItself()
    {
        Session run(folder(), {QStringLiteral("Ann"), QString(), QStringLiteral("1")});
        run.window->cmdNextQuestion->click();
        run.platform.secondsPerClockRead = 1;
        const QTime before = run.platform.clock.time();
        run.type(QStringLiteral("x"));
        run.window->cmd_enter_response->click();
        const QString stamp = QString(36, u' ');
        QVERIFY(decoded(run.window->runFields().masterFileName)
                    .contains(stamp + before.toString(QStringLiteral("HH:mm:ss")) + crlf));
        QVERIFY(
            decoded(run.window->runFields().sendFileName)
                .contains(stamp + before.addSecs(1).toString(QStringLiteral("HH:mm:ss")) + crlf));

        // A note goes line by line to master, send and notes: three time stamps are read,
        // then three date-and-time stamps.
        const QTime noteStart = run.platform.clock.time();
        const auto at = [&](int seconds) {
            return noteStart.addSecs(seconds).toString(QStringLiteral("HH:mm:ss"));
        };
        run.type(QStringLiteral("a note"));
        run.window->cmd_save_as_notes->click();
        const QStringList files{run.window->runFields().masterFileName,
                                run.window->runFields().sendFileName,
                                run.window->runFields().notesFileName};
        for (int file = 0; file < 3; ++file) {
            const QString text = decoded(files[file]);
            QVERIFY(text.contains(stamp + at(file) + crlf + stamp + QStringLiteral("03-03-2026") +
                                  at(file + 3) + crlf));
        }
    }

    void unstorableResponseIsRefused()
    {
        Session run(folder(), {QStringLiteral("Ann"), QString(), QStringLiteral("1")});
        run.window->cmdNextQuestion->click();
        const QByteArray before = fileBytes(run.window->runFields().masterFileName);
        run.type(QStringLiteral("A = \u03C0 r\u00B2 \u2192 28.3"));
        run.window->cmd_enter_response->click();
        QCOMPARE(run.platform.messagesShown.size(), 1);
        QVERIFY(run.platform.messagesShown.first().contains(QStringLiteral("\u03C0")));
        QVERIFY(run.platform.messagesShown.first().contains(QStringLiteral("\u2192")));
        QVERIFY(!run.platform.messagesShown.first().contains(QStringLiteral("\u00B2")));
        QVERIFY(run.platform.messagesShown.first().contains(QStringLiteral("\"pi\"")));
        QCOMPARE(run.platform.promptsShown.size(), 3); // no rating asked
        QCOMPARE(fileBytes(run.window->runFields().masterFileName), before);
        QCOMPARE(run.answer(), QStringLiteral("A = \u03C0 r\u00B2 \u2192 28.3"));
        QVERIFY(!run.question().isEmpty());
    }

    void unwritableFolderKeepsTheResponse()
    {
        const QString runFolder = folder();
        Session run(runFolder, {QStringLiteral("Ann"), QString(), QStringLiteral("1")});
        run.window->cmdNextQuestion->click();
        QVERIFY(QDir(runFolder).removeRecursively());
        run.type(QStringLiteral("my answer"));
        run.window->cmd_enter_response->click();
        QCOMPARE(run.platform.messagesShown.size(), 1);
        QVERIFY(run.platform.messagesShown.first().contains(
            QDir::toNativeSeparators(run.window->runFields().masterFileName)));
        QCOMPARE(run.answer(), QStringLiteral("my answer"));
        QVERIFY(!run.window->hasEnded());
        // The folder is back: the same press now records.
        QVERIFY(QDir().mkdir(runFolder));
        run.platform.answers.enqueue(QStringLiteral("3"));
        run.window->cmd_enter_response->click();
        QCOMPARE(run.answer(), QString());
        QVERIFY(
            decoded(run.window->runFields().sendFileName).contains(QStringLiteral("my answer")));
    }

    void clearBoxEmptiesTheAnswerBoxOnly()
    {
        Session run(folder(), {QStringLiteral("Ann"), QString(), QStringLiteral("1")});
        run.window->cmdNextQuestion->click();
        run.type(QStringLiteral("draft"));
        const QString question = run.question();
        const QByteArray master = fileBytes(run.window->runFields().masterFileName);
        run.window->cmd_clear_answer_box->click();
        QCOMPARE(run.answer(), QString());
        QCOMPARE(run.question(), question);
        QCOMPARE(fileBytes(run.window->runFields().masterFileName), master);
        QVERIFY(run.window->reader().instructionsPending);
    }

    // A whole assignment, every line shown and answered, compared with the record layout.
    void wholeAssignmentWalk_data()
    {
        QTest::addColumn<QString>("assignment");
        QTest::addColumn<QString>("lastShown");
        QTest::newRow("001") << QStringLiteral("1")
                             << QStringLiteral("This ends the first assignment.");
        QTest::newRow("004") << QStringLiteral("4") << QStringLiteral("end program");
    }
    void wholeAssignmentWalk()
    {
        QFETCH(QString, assignment);
        QFETCH(QString, lastShown);
        Session run(folder(), {QStringLiteral("Student One"), QString(), assignment});
        QVERIFY(run.started);
        const auto &fields = run.window->runFields();
        const QString number = fields.assignmentNumber;
        const QStringList content = bank::assignmentContent();
        const int head = run.window->lineStore().bankLineCount;

        const QString codeLine = decoded(fields.masterFileName).section(crlf, 0, 0);
        QCOMPARE(records::codeNumberOf(codeLine), int(fields.runCodeNbr));
        QString master = codeLine + crlf + QStringLiteral("assignment #") + number + crlf +
                         content[head - 1] + crlf + QStringLiteral("bexlorin\r\n03-03-2026\r\n");
        QString send = master;

        QString kind;
        int question = 0;
        int shown = 0;
        QString last;
        for (int index = head + 1;
             !content.value(index - 1).startsWith(fields.nextAssignmentNumber); ++index) {
            const QString entry = content.value(index - 1);
            if (index > content.size() + 1)
                break;
            if (entry.isEmpty())
                continue;
            run.window->cmdNextQuestion->click();
            QVERIFY(!run.platform.exitRequested);
            const bool isAnswer = entry.startsWith(QStringLiteral("`a"));
            const QString line = isAnswer ? entry.mid(2) : entry;
            if (entry.startsWith(QStringLiteral("`q"))) {
                kind = QStringLiteral("confidence assessment:  ");
                question = entry.mid(2, 3).toInt();
            } else if (isAnswer) {
                kind = QStringLiteral("self critique assessment: ");
            }
            QCOMPARE(run.question(), shownInBox(line));
            QCOMPARE(run.window->lineStore().bankLineCount, index);

            const QString response = QStringLiteral("response %1\r\nsecond line").arg(++shown);
            const QString rating = QString::number(shown % 4);
            run.type(QStringLiteral("response %1\nsecond line").arg(shown));
            run.platform.answers.enqueue(rating);
            run.window->cmd_enter_response->click();
            QCOMPARE(run.platform.promptsShown.last(),
                     kind.startsWith(u'c') ? confidencePrompt : selfCritiquePrompt);
            const int n = number.toInt() * 10000 + question;
            master += expectedRecord(true, line, response, n, kind + rating);
            send += expectedRecord(false, line, response, n, kind + rating);
            last = line;
        }
        QCOMPARE(last, lastShown);
        QCOMPARE(decoded(fields.masterFileName), master);
        QCOMPARE(decoded(fields.sendFileName), send);
        QVERIFY(!run.window->hasEnded());

        // Responses and notes leave the three record files in the folder, and nothing else.
        run.type(QStringLiteral("A closing note."));
        run.window->cmd_save_as_notes->click();
        QCOMPARE(
            QDir(fields.outputFolder)
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            (QStringList{QStringLiteral("masterFile_Student_One.txt"),
                         QStringLiteral("notes_Student_One.txt"),
                         QStringLiteral("send_0303Student_One.txt")}));
        master = decoded(fields.masterFileName);

        // The next click reaches the next assignment's head (or the end of the store) and ends
        // the program without showing anything.
        run.window->cmdNextQuestion->click();
        QVERIFY(run.platform.exitRequested);
        QVERIFY(run.window->hasEnded());
        QCOMPARE(run.question(), QString());
        QCOMPARE(decoded(fields.masterFileName), master);
        QVERIFY(run.platform.messagesShown.isEmpty());
    }

    void routineLinesInTheCycle_data()
    {
        QTest::addColumn<QStringList>("store");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("ends");
        const QString head = QStringLiteral("001.  Test");
        const QString question = QStringLiteral("`q001.  A question");
        QTest::newRow("routine then question")
            << QStringList{head, QStringLiteral("`routine graph1"), question}
            << QStringLiteral("`q001.  A question") << false;
        QTest::newRow("blank in the name")
            << QStringList{head, QStringLiteral("`ROUTINE graph 2"), question}
            << QStringLiteral("`q001.  A question") << false;
        QTest::newRow("marker alone is text")
            << QStringList{head, QStringLiteral("`routine"), question} << QStringLiteral("`routine")
            << false;
        QTest::newRow("second routine shown as text")
            << QStringList{head, QStringLiteral("`routine graph1"),
                           QStringLiteral("`routine graph3")}
            << QStringLiteral("`routine graph3") << false;
        QTest::newRow("exitprog ends")
            << QStringList{head, QStringLiteral("`routine Exit-Prog"), question} << QString()
            << true;
        QTest::newRow("name straight after the marker ends")
            << QStringList{head, QStringLiteral("`routinegraph1"), question} << QString() << true;
    }
    void routineLinesInTheCycle()
    {
        QFETCH(QStringList, store);
        QFETCH(QString, shown);
        QFETCH(bool, ends);
        Session run(folder(), {QStringLiteral("Ann"), QString(), QStringLiteral("1")}, store);
        QVERIFY(run.started);
        run.window->cmdNextQuestion->click();
        QCOMPARE(run.platform.exitRequested, ends);
        QCOMPARE(run.question(), shown);
        // Only a line that is no routine line arms the refill, even when shown as text.
        if (!ends)
            QCOMPARE(run.window->reader().instructionsPending, !bank::markup::isRoutine(shown));
    }

    void nextPictureRunsRoutinesAhead()
    {
        const QStringList store{QStringLiteral("001.  Test"),
                                QStringLiteral("`routine graph1"),
                                QString(),
                                QStringLiteral("`routine graph2"),
                                QStringLiteral("`q001.  After the routines"),
                                QStringLiteral("`routine exitprog")};
        Session run(folder(), {QStringLiteral("Ann"), QString(), QStringLiteral("1")}, store);
        run.window->cmd_next_picture->click();
        QCOMPARE(run.window->lineStore().bankLineCount, 4);
        QVERIFY(!run.platform.exitRequested);
        run.window->cmdNextQuestion->click();
        QCOMPARE(run.question(), QStringLiteral("`q001.  After the routines"));
        run.window->cmd_next_picture->click();
        QVERIFY(run.platform.exitRequested);
    }
};

QTEST_MAIN(TestQuestionCycle)
#include "tst_questioncycle.moc"
