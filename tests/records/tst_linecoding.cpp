// SPDX-License-Identifier: MIT
#include "fakeplatform.h"
#include "records/codepage.h"
#include "records/linecoding.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <deque>
#include <stdexcept>

using namespace records;

namespace {

QChar ch(int code)
{
    return codepage::characterOf(code);
}

QList<int> codesOf(const QString &text)
{
    QList<int> codes;
    for (const QChar c : text)
        codes.append(codepage::codeOf(c.unicode()));
    return codes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const float justBelowTenth = std::nextafter(0.1f, 0.0f);
const float largestDraw = std::nextafter(1.0f, 0.0f);

} // namespace

class TestLineCoding : public QObject
{
    Q_OBJECT

private slots:
    void codeKeepsLine_data();
    void codeKeepsLine();
    void decode_data();
    void decode();
    void decodeRejects_data();
    void decodeRejects();
    void scriptedCodeLine_data();
    void scriptedCodeLine();
    void generatedCodeLine_data();
    void generatedCodeLine();
    void codeNumberOf_data();
    void codeNumberOf();
    void remSpaces_data();
    void remSpaces();
    void codeFile_data();
    void codeFile();
    void codeFileWithoutInput();
    void codeFileReplacesOutput();
};

void TestLineCoding::codeKeepsLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<float>("codeNbr");

    QTest::newRow("empty") << QString() << 19.0f;
    QTest::newRow("assignment line") << QStringLiteral("assignment #001") << 28.0f;
    QTest::newRow("blanks and breaks") << QStringLiteral("  a\r\nb  ") << 23.0f;
    QTest::newRow("high characters") << QString::fromUtf16(u"\u20AC\u00FF wv") << -3.5f;
    QTest::newRow("zero") << QStringLiteral("Bv(") << 0.0f;
}

void TestLineCoding::codeKeepsLine()
{
    QFETCH(QString, line);
    QFETCH(float, codeNbr);
    QCOMPARE(code(line, codeNbr), line);
}

void TestLineCoding::decode_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<float>("codeNbr");
    QTest::addColumn<QString>("expected");

    QString dropped;
    for (int c = 66; c <= 118; ++c)
        dropped.append(ch(c));

    QTest::newRow("blanks stay") << QStringLiteral("    ") << 20.0f << QStringLiteral("    ");
    QTest::newRow("66 to 118 dropped") << dropped << 20.0f << QString();
    QTest::newRow("v dropped, w kept") << QStringLiteral("vw") << 10.0f << QString(ch(9));
    QTest::newRow("A (65) kept") << QStringLiteral("A") << 20.0f << QString(ch(254));
    QTest::newRow("150 and 40 with 20")
        << (QString(ch(150)) + u'(') << 20.0f << (QString(ch(30)) + ch(229));
    QTest::newRow("blanks between") << QStringLiteral(" ( Z ( ") << 20.0f
                                    << (QString(u' ') + ch(229) + u' ' + u' ' + ch(229) + u' ');
    QTest::newRow("top boundary 255") << QString(ch(255)) << -100.0f << QString(ch(255));
    QTest::newRow("bottom boundary 0") << QString(ch(0)) << 209.0f << QString(ch(0));
    // 248.5 and 50.5: ties go to the even neighbour, not up.
    QTest::newRow("low code tie to even") << QStringLiteral("(") << 0.5f << QString(ch(248));
    QTest::newRow("high code tie to even") << QString(ch(151)) << 0.5f << QStringLiteral("2");
    // -0.5 is a tie as well; it rounds to 0 and is no error.
    QTest::newRow("tie at -0.5 gives 0") << QStringLiteral("w") << 19.5f << QString(ch(0));
    QTest::newRow("empty") << QString() << 20.0f << QString();
}

void TestLineCoding::decode()
{
    QFETCH(QString, line);
    QFETCH(float, codeNbr);
    QFETCH(QString, expected);
    QCOMPARE(codesOf(records::decode(line, codeNbr)), codesOf(expected));
}

void TestLineCoding::decodeRejects_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<float>("codeNbr");

    QTest::newRow("255 - (-101) - 100 = 256") << QString(ch(255)) << -101.0f;
    QTest::newRow("50 + 209 - 3 = 256") << QStringLiteral("2") << 3.0f;
    QTest::newRow("119 - 20 - 100 = -1") << QStringLiteral("w") << 20.0f;
    QTest::newRow("0 + 209 - 210 = -1") << QString(ch(0)) << 210.0f;
    QTest::newRow("255.5 ties to 256") << QStringLiteral("2") << 3.5f;
    QTest::newRow("after valid characters") << QStringLiteral("( (Bw") << 20.0f;
    // A character the code page lacks has no code to work from.
    QTest::newRow("pi has no code") << QStringLiteral("( \u03C0") << 20.0f;
}

void TestLineCoding::decodeRejects()
{
    QFETCH(QString, line);
    QFETCH(float, codeNbr);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, records::decode(line, codeNbr));
}

void TestLineCoding::scriptedCodeLine_data()
{
    QTest::addColumn<float>("codeNbr");
    QTest::addColumn<QList<float>>("draws");
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<int>("drawsLeft");

    QTest::newRow("zero") << 0.0f << QList<float>{0.5f} << QList<int>{} << 1;
    QTest::newRow("negative") << -4.0f << QList<float>{0.5f} << QList<int>{} << 1;
    QTest::newRow("below one") << 0.99f << QList<float>{0.5f, 0.5f} << QList<int>{} << 2;
    QTest::newRow("0.1 exactly: no filler")
        << 1.0f << QList<float>{0.1f, 0.0f, 0.9f} << QList<int>{118} << 1;
    QTest::newRow("just below 0.1: filler")
        << 1.0f << QList<float>{justBelowTenth, 0.0f, 0.0f} << QList<int>{66, 118} << 0;
    QTest::newRow("largest draw: 116 and 255")
        << 1.0f << QList<float>{0.0f, largestDraw, largestDraw} << QList<int>{116, 255} << 0;
    QTest::newRow("key tie 186.5 to 186")
        << 1.0f << QList<float>{0.5f, 0.5f} << QList<int>{186} << 0;
    QTest::newRow("filler tie 78.5 to 78")
        << 1.0f << QList<float>{0.0f, 0.25f, 0.0f} << QList<int>{78, 118} << 0;
    // These draws land a hair above x.5 in double precision but exactly on it in single.
    QTest::newRow("key in double precision")
        << 1.0f << QList<float>{0.5f, 0x1.de5d7p-9f} << QList<int>{119} << 0;
    QTest::newRow("filler in double precision")
        << 1.0f << QList<float>{0.0f, 0x1.47ae16p-7f, 0.0f} << QList<int>{67, 118} << 0;
    // Pass 1 without a filler, pass 2 with one, pass 3 with the largest draw.
    const QList<float> threePasses{0.5f, 0.25f, 0.05f, 0.5f, 0.75f, 0.9f, largestDraw};
    QTest::newRow("three passes") << 3.0f << threePasses << QList<int>{152, 91, 221, 255} << 0;
    QTest::newRow("fraction: whole passes only")
        << 2.5f << QList<float>{0.5f, 0.0f, 0.5f, 0.0f, 0.5f} << QList<int>{118, 118} << 1;
}

void TestLineCoding::scriptedCodeLine()
{
    QFETCH(float, codeNbr);
    QFETCH(QList<float>, draws);
    QFETCH(QList<int>, codes);
    QFETCH(int, drawsLeft);

    std::deque<float> queue(draws.begin(), draws.end());
    const auto draw = [&queue] {
        if (queue.empty())
            throw std::logic_error("more draws taken than scripted");
        const float r = queue.front();
        queue.pop_front();
        return r;
    };
    QCOMPARE(codesOf(makeCodeLine(codeNbr, draw)), codes);
    QCOMPARE(int(queue.size()), drawsLeft);
}

void TestLineCoding::generatedCodeLine_data()
{
    QTest::addColumn<int>("codeNbr");
    for (int n = 19; n <= 28; ++n)
        QTest::addRow("%d", n) << n;
}

void TestLineCoding::generatedCodeLine()
{
    QFETCH(int, codeNbr);

    FakePlatform platform;
    int passes = 0;
    int fillers = 0;
    for (int run = 0; run < 200; ++run) {
        platform.seedRandom(float(run) * 431.7f + 0.25f);
        const int drawsBefore = platform.drawsTaken;
        const QString line =
            makeCodeLine(float(codeNbr), [&platform] { return platform.nextRandom(); });
        const QList<int> codes = codesOf(line);

        int keys = 0;
        for (qsizetype i = 0; i < codes.size(); ++i) {
            const int c = codes[i];
            QVERIFY2(c >= 66 && c <= 255 && c != 117, qPrintable(QString::number(c)));
            if (c >= 118) {
                ++keys;
            } else {
                // A filler always stands directly before its pass's key.
                QVERIFY(i + 1 < codes.size() && codes[i + 1] >= 118);
                ++fillers;
            }
        }
        QCOMPARE(keys, codeNbr);
        QCOMPARE(records::codeNumberOf(line), codeNbr);
        QVERIFY(line.size() >= codeNbr && line.size() <= 2 * codeNbr);
        QVERIFY(!line.contains(u'\r') && !line.contains(u'\n'));
        // Two draws a pass, and one more for each filler.
        QCOMPARE(platform.drawsTaken - drawsBefore, codeNbr + int(line.size()));
        passes += codeNbr;
    }
    // About one pass in ten has a filler.
    QVERIFY2(fillers > passes / 20 && fillers < passes * 3 / 20,
             qPrintable(QStringLiteral("%1 fillers in %2 passes").arg(fillers).arg(passes)));
}

void TestLineCoding::codeNumberOf_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("number");

    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("117 no, 118 yes") << QStringLiteral("uv") << 1;
    QTest::newRow("fillers skipped") << QStringLiteral("BwCxfy") << 3;
    QTest::newRow("high bytes count")
        << (QString(ch(0x80)) + ch(0x81) + ch(0x9D) + ch(0xFF) + u'A') << 4;
}

void TestLineCoding::codeNumberOf()
{
    QFETCH(QString, line);
    QFETCH(int, number);
    QCOMPARE(records::codeNumberOf(line), number);
}

void TestLineCoding::remSpaces_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");

    QTest::newRow("blanks and hyphens") << QStringLiteral("a - b c") << QStringLiteral("abc");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("only blanks and hyphens") << QStringLiteral(" -- - ") << QString();
    QTest::newRow("tab and underscore kept")
        << QStringLiteral("a\tb_c") << QStringLiteral("a\tb_c");
    QTest::newRow("en dash kept") << QString::fromUtf16(u"x \u2013 y")
                                  << QString::fromUtf16(u"x\u2013y");
    QTest::newRow("no-break space kept")
        << QString::fromUtf16(u"a\u00A0b") << QString::fromUtf16(u"a\u00A0b");
    QTest::newRow("line break kept")
        << QStringLiteral("next picture\r\n1") << QStringLiteral("nextpicture\r\n1");
}

void TestLineCoding::remSpaces()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(records::remSpaces(line), expected);
}

void TestLineCoding::codeFile_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<float>("number");

    QTest::newRow("assignment and query") << QByteArray("assignment 1\r\nquery 1abc\r\n")
                                          << QByteArray("assignment 1\r\nqueryabc\r\n") << 12.0f;
    QTest::newRow("keys in any case")
        << QByteArray("ASSIGNMENT 2\r\nQuery 1abc\r\nQUERY Xdef\r\n")
        << QByteArray("ASSIGNMENT 2\r\nqueryabc\r\nquerydef\r\n") << 12.0f;
    QTest::newRow("query without blank is ordinary")
        << QByteArray("query1abc\r\nquery\r\n") << QByteArray("query1abc\r\nquery\r\n") << 9.0f;
    QTest::newRow("short query lines") << QByteArray("x\r\nquery \r\nquery 1\r\nquery 12\r\n")
                                       << QByteArray("x\r\nquery\r\nquery\r\nquery2\r\n") << 1.0f;
    QTest::newRow("empty first line")
        << QByteArray("\r\nquery 1abc\r\n") << QByteArray("\r\nqueryabc\r\n") << 0.0f;
    QTest::newRow("CR alone ends a line")
        << QByteArray("ab\rcd\r") << QByteArray("ab\r\ncd\r\n") << 2.0f;
    QTest::newRow("last line without end")
        << QByteArray("abc\r\nde") << QByteArray("abc\r\nde\r\n") << 3.0f;
    QTest::newRow("lone LF inside a line")
        << QByteArray("ab\ncd\r\nef") << QByteArray("ab\ncd\r\nef\r\n") << 5.0f;
    QTest::newRow("empty lines kept")
        << QByteArray("a\r\n\r\n\r\nb") << QByteArray("a\r\n\r\n\r\nb\r\n") << 1.0f;
    QTest::newRow("code page bytes")
        << QByteArray("caf\xE9 \x80\x81\r\nquery 1\xE9\x9D\xFF\r\n")
        << QByteArray("caf\xE9 \x80\x81\r\nquery\xE9\x9D\xFF\r\n") << 7.0f;
}

void TestLineCoding::codeFile()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    QFETCH(float, number);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath(QStringLiteral("query.txt")), input));

    QCOMPARE(records::codeFile(dir.path(), u'/'), number);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("queri.txt"))), output);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("query.txt"))), input);
}

void TestLineCoding::codeFileWithoutInput()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY_THROWS_EXCEPTION(FileNotFoundError, records::codeFile(dir.path(), u'/'));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("queri.txt"))));
}

void TestLineCoding::codeFileReplacesOutput()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString output = dir.filePath(QStringLiteral("queri.txt"));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("query.txt")), "query 1ab\r\n"));
    QVERIFY(writeFile(output, QByteArray(4096, 'z')));

    QCOMPARE(records::codeFile(dir.path(), u'/'), 9.0f);
    QCOMPARE(readFile(output), QByteArray("queryab\r\n"));
}

QTEST_GUILESS_MAIN(TestLineCoding)
#include "tst_linecoding.moc"
