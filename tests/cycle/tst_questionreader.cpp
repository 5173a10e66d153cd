// SPDX-License-Identifier: MIT
#include "bank/assignmentcontent.h"
#include "bank/linestore.h"
#include "cycle/linebreaks.h"
#include "cycle/questionreader.h"

#include <QTest>

using bank::LineStore;
using cycle::QuestionReader;

namespace {

// Guards the walking loops: a reader that never ends would otherwise hang the test.
constexpr int maxReads = LineStore::lastIndex + 10;

} // namespace

class TestQuestionReader : public QObject
{
    Q_OBJECT

private slots:
    void firstQuestionThenItsAnswer()
    {
        LineStore store;
        store.fill(bank::assignmentContent());
        store.bankLineCount = 1; // assignment start leaves the reader on the head of 001
        QuestionReader reader;

        const cycle::ReadOutcome first = reader.readNextQuestion(store, QStringLiteral("002"));
        QCOMPARE(store.bankLineCount, 3);
        QVERIFY(reader.displayText.startsWith(QStringLiteral("`q001.")));
        QCOMPARE(reader.displayText, store.entry(3));
        QCOMPARE(reader.currentLine, reader.displayText);
        QCOMPARE(reader.currentKind, cycle::questionKind);
        QCOMPARE(reader.questionNumber, QStringLiteral("1"));
        QVERIFY(!first.refillAnswerBox);
        QVERIFY(!first.endsProgram);
        QVERIFY(reader.instructionsPending);

        const cycle::ReadOutcome second = reader.readNextQuestion(store, QStringLiteral("002"));
        QCOMPARE(store.bankLineCount, 5);
        QVERIFY(store.entry(5).startsWith(QStringLiteral("`a")));
        QCOMPARE(reader.displayText, store.entry(5).mid(2));
        QCOMPARE(reader.currentLine, reader.displayText);
        QCOMPARE(reader.currentKind, cycle::answerKind);
        QCOMPARE(reader.questionNumber, QStringLiteral("1"));
        QVERIFY(second.refillAnswerBox);
        QVERIFY(!second.endsProgram);
    }

    // One read from position 0, with the fields as an earlier read might have left them.
    void markers_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("kindBefore");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("position");

        const QString q = cycle::questionKind;
        const QString a = cycle::answerKind;
        QTest::newRow("closing line keeps kind and number")
            << QStringList{QStringLiteral("This ends the first assignment.")} << q
            << QStringLiteral("This ends the first assignment.") << q << QStringLiteral("7") << 1;
        QTest::newRow("capital Q is no question but numbers")
            << QStringList{QStringLiteral("`Q012.  Not asked")} << a
            << QStringLiteral("`Q012.  Not asked") << a << QStringLiteral("12") << 1;
        QTest::newRow("capital A keeps its marker")
            << QStringList{QStringLiteral("`ABecause")} << q << QStringLiteral("`ABecause") << q
            << QStringLiteral("7") << 1;
        QTest::newRow("bare answer marker reads on")
            << QStringList{QStringLiteral("`a"), QString(), QStringLiteral("Next line")} << q
            << QStringLiteral("Next line") << a << QStringLiteral("7") << 3;
        QTest::newRow("two-digit number")
            << QStringList{QStringLiteral("`q012.  Twelve?")} << a
            << QStringLiteral("`q012.  Twelve?") << q << QStringLiteral("12") << 1;
        QTest::newRow("number that is no number")
            << QStringList{QStringLiteral("`qabc.  Letters?")} << a
            << QStringLiteral("`qabc.  Letters?") << q << QStringLiteral("0") << 1;
        QTest::newRow("blank entries are passed over")
            << QStringList{QString(), QString(), QStringLiteral("`q003.  Third?")} << a
            << QStringLiteral("`q003.  Third?") << q << QStringLiteral("3") << 3;
        QTest::newRow("answer loses only its marker")
            << QStringList{QStringLiteral("`a`aTwice")} << q << QStringLiteral("`aTwice") << a
            << QStringLiteral("7") << 1;
    }
    void markers()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, kindBefore);
        LineStore store;
        store.fill(entries);
        QuestionReader reader;
        reader.currentKind = kindBefore;
        reader.questionNumber = QStringLiteral("7");

        const cycle::ReadOutcome outcome = reader.readNextQuestion(store, QStringLiteral("002"));
        QVERIFY(!outcome.endsProgram);
        QTEST(reader.displayText, "shown");
        QCOMPARE(reader.currentLine, reader.displayText);
        QTEST(reader.currentKind, "kind");
        QTEST(reader.questionNumber, "number");
        QTEST(store.bankLineCount, "position");
    }

    void instructionsPending_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("pendingBefore");
        QTest::addColumn<bool>("pendingAfter");

        QTest::newRow("routine line") << QStringLiteral("`routine graph1") << true << false;
        QTest::newRow("routine in capitals") << QStringLiteral("`ROUTINE x") << false << false;
        QTest::newRow("bare routine marker") << QStringLiteral("`routine") << true << false;
        QTest::newRow("marker cut short") << QStringLiteral("`routin") << false << true;
        QTest::newRow("question") << QStringLiteral("`q001.  What?") << false << true;
        QTest::newRow("answer") << QStringLiteral("`aBecause.") << true << true;
        QTest::newRow("closing line") << QStringLiteral("This ends it.") << true << true;
    }
    void instructionsPending()
    {
        QFETCH(QString, line);
        QFETCH(bool, pendingBefore);
        LineStore store;
        store.fill({line});
        QuestionReader reader;
        reader.instructionsPending = pendingBefore;

        const cycle::ReadOutcome outcome = reader.readNextQuestion(store, QStringLiteral("002"));
        QCOMPARE(outcome.refillAnswerBox, pendingBefore);
        QTEST(reader.instructionsPending, "pendingAfter");
        QCOMPARE(store.bankLineCount, 1);
    }

    // Reads until the program ends: the line shown just before, and where the reader stopped.
    void walkToTheEnd_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QString>("lastShown");
        QTest::addColumn<QString>("endingLine");
        QTest::addColumn<int>("endPosition");

        const QStringList builtIn = bank::assignmentContent();
        QTest::newRow("001 ends at the head of 002")
            << builtIn << 1 << QStringLiteral("002")
            << QStringLiteral("This ends the first assignment.") << QStringLiteral("002.  Volumes")
            << 75;
        QTest::newRow("003 ends at the head of 004")
            << builtIn << 129 << QStringLiteral("004")
            << QStringLiteral("This ends the third assignment. ")
            << QStringLiteral("004.  Units of volume measure") << 191;
        QTest::newRow("004 runs out of store")
            << builtIn << 191 << QStringLiteral("005") << QStringLiteral("end program") << QString()
            << LineStore::lastIndex;
        QTest::newRow("only the next number's head ends")
            << QStringList{QStringLiteral("003.  Other"), QStringLiteral("`q002.  Two?")} << 0
            << QStringLiteral("002") << QStringLiteral("`q002.  Two?") << QString()
            << LineStore::lastIndex;
        QTest::newRow("blank store")
            << QStringList(LineStore::lastIndex, QString()) << 0 << QStringLiteral("002")
            << QString() << QString() << LineStore::lastIndex;
        QStringList lastFilled(LineStore::lastIndex, QString());
        lastFilled.last() = QStringLiteral("`q001.  Last?");
        QTest::newRow("question in entry 5000")
            << lastFilled << 4990 << QStringLiteral("002") << QStringLiteral("`q001.  Last?")
            << QString() << LineStore::lastIndex;
    }
    void walkToTheEnd()
    {
        QFETCH(QStringList, entries);
        QFETCH(int, start);
        QFETCH(QString, next);
        LineStore store;
        store.fill(entries);
        store.bankLineCount = start;
        QuestionReader reader;

        QString lastShown;
        cycle::ReadOutcome outcome;
        for (int reads = 0; reads < maxReads && !outcome.endsProgram; ++reads) {
            lastShown = reader.displayText;
            outcome = reader.readNextQuestion(store, next);
            QVERIFY(store.bankLineCount <= LineStore::lastIndex);
        }
        QVERIFY(outcome.endsProgram);
        QTEST(lastShown, "lastShown");
        QTEST(store.bankLineCount, "endPosition");
        QFETCH(QString, endingLine);
        if (!endingLine.isEmpty()) {
            QCOMPARE(reader.displayText, endingLine);
        } else {
            // Blank entries never count as the line last read.
            QCOMPARE(reader.currentLine, lastShown);
            // Out of entries: a further read stays inside the store and ends again.
            QVERIFY(reader.readNextQuestion(store, next).endsProgram);
            QCOMPARE(store.bankLineCount, LineStore::lastIndex);
        }
    }

    void expandLineBreaks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expanded");

        QTest::newRow("inside") << QStringLiteral("ab{}cd") << QStringLiteral("ab\r\ncd");
        QTest::newRow("two in a row") << QStringLiteral("{}{}") << QStringLiteral("\r\n\r\n");
        QTest::newRow("brace before") << QStringLiteral("{{}") << QStringLiteral("{\r\n");
        QTest::newRow("brace after") << QStringLiteral("{}{") << QStringLiteral("\r\n{");
        QTest::newRow("braces around") << QStringLiteral("{{}}") << QStringLiteral("{\r\n}");
        QTest::newRow("reversed is no code") << QStringLiteral("}{") << QStringLiteral("}{");
        QTest::newRow("code alone") << QStringLiteral("{}") << QStringLiteral("\r\n");
        QTest::newRow("one character") << QStringLiteral("{") << QStringLiteral("{");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("no code") << QStringLiteral("a\r\nb c") << QStringLiteral("a\r\nb c");
    }
    void expandLineBreaks()
    {
        QFETCH(QString, text);
        QTEST(cycle::expandLineBreaks(text), "expanded");
    }
};

QTEST_GUILESS_MAIN(TestQuestionReader)
#include "tst_questionreader.moc"
