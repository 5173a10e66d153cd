// SPDX-License-Identifier: MIT
#include "bank/linestore.h"
#include "bank/markup.h"

#include <QTest>

#include <stdexcept>

using bank::LineStore;
namespace markup = bank::markup;

class TestLineStore : public QObject
{
    Q_OBJECT

private slots:
    void fillStoresFromIndexOneAndRewinds()
    {
        LineStore store;
        store.fill({QStringLiteral("first"), QString(), QStringLiteral("third")});
        QCOMPARE(store.bankLineCount, 0);
        QVERIFY(store.entry(0).isEmpty());
        QCOMPARE(store.entry(1), QStringLiteral("first"));
        QVERIFY(store.entry(2).isEmpty());
        QCOMPARE(store.entry(3), QStringLiteral("third"));
        QVERIFY(store.entry(4).isEmpty());
        QVERIFY(store.entry(LineStore::lastIndex).isEmpty());
    }

    void fillUpToTheLastIndexFits()
    {
        LineStore store;
        QStringList content(LineStore::lastIndex, QStringLiteral("x"));
        content.last() = QStringLiteral("last");
        store.fill(content);
        QCOMPARE(store.entry(LineStore::lastIndex), QStringLiteral("last"));
        QCOMPARE(store.bankLineCount, 0);
    }

    void fillPastTheLastIndexFails()
    {
        LineStore store;
        const QStringList content(LineStore::lastIndex + 1, QStringLiteral("x"));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, store.fill(content));
        // Everything up to the bound was stored before the overflow was noticed.
        QCOMPARE(store.entry(LineStore::lastIndex), QStringLiteral("x"));
    }

    void entryOutsideTheStoreFails_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("below") << -1;
        QTest::newRow("one past the end") << LineStore::lastIndex + 1;
    }
    void entryOutsideTheStoreFails()
    {
        QFETCH(int, index);
        const LineStore store;
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, store.entry(index));
    }

    void markers_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("question");
        QTest::addColumn<bool>("questionIgnoringCase");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("routine");

        QTest::newRow("question") << QStringLiteral("`q001.  What?") << true << true << false
                                  << false;
        QTest::newRow("capital Q is no question")
            << QStringLiteral("`Q001.  What?") << false << true << false << false;
        QTest::newRow("answer") << QStringLiteral("`aBecause.") << false << false << true << false;
        QTest::newRow("capital A is no answer")
            << QStringLiteral("`ABecause.") << false << false << false << false;
        QTest::newRow("marker alone") << QStringLiteral("`a") << false << false << true << false;
        QTest::newRow("routine") << QStringLiteral("`routine graph1") << false << false << false
                                 << true;
        QTest::newRow("routine in capitals")
            << QStringLiteral("`ROUTINE graph1") << false << false << false << true;
        QTest::newRow("routine marker alone")
            << QStringLiteral("`Routine") << false << false << false << true;
        QTest::newRow("too short for a routine")
            << QStringLiteral("`routin") << false << false << false << false;
        QTest::newRow("backquote inside")
            << QStringLiteral("area of 14 `pi") << false << false << false << false;
        QTest::newRow("head line")
            << QStringLiteral("001.  Areas") << false << false << false << false;
        QTest::newRow("empty") << QString() << false << false << false << false;
    }
    void markers()
    {
        QFETCH(QString, line);
        QTEST(markup::isQuestion(line), "question");
        QTEST(markup::isQuestionIgnoringCase(line), "questionIgnoringCase");
        QTEST(markup::isAnswer(line), "answer");
        QTEST(markup::isRoutine(line), "routine");
    }

    void headLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("matches");

        QTest::newRow("own head") << QStringLiteral("001.  Areas") << QStringLiteral("001") << true;
        QTest::newRow("other head")
            << QStringLiteral("002.  Volumes") << QStringLiteral("001") << false;
        QTest::newRow("four digits never match")
            << QStringLiteral("0001.  Areas") << QStringLiteral("0001") << false;
        QTest::newRow("unpadded") << QStringLiteral("001.  Areas") << QStringLiteral("1") << false;
        QTest::newRow("short line compared whole")
            << QStringLiteral("1.") << QStringLiteral("1") << true;
        QTest::newRow("empty number") << QStringLiteral("001.  Areas") << QString() << false;
    }
    void headLines()
    {
        QFETCH(QString, line);
        QFETCH(QString, number);
        QTEST(markup::isHeadLineOf(line, number), "matches");
    }
};

QTEST_GUILESS_MAIN(TestLineStore)
#include "tst_linestore.moc"
