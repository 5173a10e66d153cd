// SPDX-License-Identifier: MIT
#include "bank/linestore.h"
#include "routines/routinedispatcher.h"

#include <QTest>

using bank::LineStore;
using routines::RoutineResult;

namespace {

// A store whose entries from `position` on are `fromPosition` (the first one sits at the
// position itself, which no look-ahead may read); everything else is blank.
LineStore storeAt(int position, const QStringList &fromPosition)
{
    QStringList content(position - 1, QString());
    content += fromPosition;
    LineStore store;
    store.fill(content);
    store.bankLineCount = position;
    return store;
}

} // namespace

class TestRoutineDispatcher : public QObject
{
    Q_OBJECT

private slots:
    void runRoutine_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("ends");

        QTest::newRow("graph1") << QStringLiteral("graph1") << false;
        QTest::newRow("graph2") << QStringLiteral("graph2") << false;
        QTest::newRow("graph3") << QStringLiteral("graph3") << false;
        QTest::newRow("capitals") << QStringLiteral("GRAPH3") << false;
        QTest::newRow("mixed case") << QStringLiteral("Graph2") << false;
        QTest::newRow("exitprog") << QStringLiteral("exitprog") << true;
        QTest::newRow("exitprog in capitals") << QStringLiteral("EXITPROG") << true;
        QTest::newRow("unknown number") << QStringLiteral("graph4") << true;
        QTest::newRow("prefix only") << QStringLiteral("graph") << true;
        QTest::newRow("longer name") << QStringLiteral("graph10") << true;
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("blank in front") << QStringLiteral(" graph1") << true;
        QTest::newRow("blank behind") << QStringLiteral("graph1 ") << true;
        QTest::newRow("blank inside") << QStringLiteral("graph 1") << true;
    }
    void runRoutine()
    {
        QFETCH(QString, name);
        QFETCH(bool, ends);
        const QString before = name;
        QCOMPARE(routines::runRoutine(name) == RoutineResult::EndsProgram, ends);
        QCOMPARE(name, before);
    }

    void routineNameOf_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("name");

        QTest::newRow("plain") << QStringLiteral("`routine graph1") << QStringLiteral("graph1");
        QTest::newRow("hyphen and capitals")
            << QStringLiteral("`ROUTINE Exit-Prog") << QStringLiteral("exitprog");
        QTest::newRow("blank inside")
            << QStringLiteral("`routine graph 2") << QStringLiteral("graph2");
        QTest::newRow("any separator")
            << QStringLiteral("`routine:graph3") << QStringLiteral("graph3");
        QTest::newRow("no separator")
            << QStringLiteral("`routinegraph1") << QStringLiteral("raph1");
        QTest::newRow("two blanks")
            << QStringLiteral("`routine  graph1") << QStringLiteral("graph1");
        QTest::newRow("marker alone") << QStringLiteral("`routine") << QString();
        QTest::newRow("separator alone") << QStringLiteral("`routine ") << QString();
    }
    void routineNameOf()
    {
        QFETCH(QString, line);
        QTEST(routines::routineNameOf(line), "name");
    }

    void runRoutinesAhead_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("fromPosition");
        QTest::addColumn<int>("calls");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<int>("positionAfter");

        const QString graph = QStringLiteral("`routine graph1");
        const QString exit = QStringLiteral("`routine exitprog");
        const QString here = QStringLiteral("`q001.  Already read");
        const int p = 10;
        QTest::newRow("nothing ahead")
            << p << QStringList{here, QStringLiteral("`q002.  Two?"), QStringLiteral("`aBecause.")}
            << 1 << false << p;
        QTest::newRow("head and blank not consumed")
            << p << QStringList{here, QString(), QStringLiteral("002.  Volumes")} << 1 << false
            << p;
        QTest::newRow("routine at the position is not read")
            << p << QStringList{exit} << 1 << false << p;
        QTest::newRow("next and next but one, one call")
            << p << QStringList{here, graph, graph} << 1 << false << p + 1;
        QTest::newRow("next and next but one, two calls")
            << p << QStringList{here, graph, graph} << 2 << false << p + 2;
        QTest::newRow("second look starts from the first")
            << p << QStringList{here, graph, QString(), graph} << 1 << false << p + 3;
        QTest::newRow("next but one only")
            << p << QStringList{here, QString(), graph} << 1 << false << p + 2;
        QTest::newRow("capital marker")
            << p << QStringList{here, QStringLiteral("`ROUTINE graph1")} << 1 << false << p + 1;
        QTest::newRow("marker cut short")
            << p << QStringList{here, QStringLiteral("`routin graph1")} << 1 << false << p;
        QTest::newRow("blank before marker")
            << p << QStringList{here, QStringLiteral(" `routine exitprog")} << 1 << false << p;
        QTest::newRow("exitprog ends") << p << QStringList{here, exit} << 1 << true << p;
        QTest::newRow("unknown name ends")
            << p << QStringList{here, QString(), QStringLiteral("`routine graph4")} << 1 << true
            << p;
        QTest::newRow("empty name ends")
            << p << QStringList{here, QStringLiteral("`routine")} << 1 << true << p;
        QTest::newRow("hyphenated exit ends")
            << p << QStringList{here, QStringLiteral("`Routine Exit-Prog")} << 1 << true << p;
        QTest::newRow("ends after the first ran")
            << p << QStringList{here, graph, QString(), exit} << 1 << true << p + 1;
        QTest::newRow("skipped line is not run")
            << p << QStringList{here, graph, exit} << 1 << false << p + 1;
        QTest::newRow("position 4999, last entry blank")
            << 4999 << QStringList{here} << 1 << false << 4999;
        QTest::newRow("position 4999, routine in the last entry")
            << 4999 << QStringList{here, graph} << 1 << false << 5000;
        QTest::newRow("position 4998, routine at 4999")
            << 4998 << QStringList{here, graph, QString()} << 1 << false << 4999;
        QTest::newRow("position 5000") << 5000 << QStringList{exit} << 1 << false << 5000;
    }
    void runRoutinesAhead()
    {
        QFETCH(int, position);
        QFETCH(QStringList, fromPosition);
        QFETCH(int, calls);
        LineStore store = storeAt(position, fromPosition);

        RoutineResult result = RoutineResult::Returned;
        for (int call = 0; call < calls; ++call)
            result = routines::runRoutinesAhead(store);
        QTEST(result == RoutineResult::EndsProgram, "ends");
        QTEST(store.bankLineCount, "positionAfter");
    }
};

QTEST_GUILESS_MAIN(TestRoutineDispatcher)
#include "tst_routinedispatcher.moc"
