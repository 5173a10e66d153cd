// SPDX-License-Identifier: MIT
#include "records/codepage.h"
#include "records/numbertext.h"
#include "records/recordcomposition.h"

#include <QTest>

using namespace records;

// The stamp indent, spelled out once so its width can be checked at compile time.
#define INDENT "                                    "
static_assert(sizeof(INDENT) - 1 == 36);

#define OPENING_RULE "......!!!!!!!!...................................\r\n"
#define CLOSING_RULE ".................................................\r\n"

namespace {

QByteArray bytesOf(const QString &text)
{
    const auto bytes = codepage::encode(text);
    return bytes ? *bytes : QByteArray("<unstorable>");
}

} // namespace

class TestRecordComposition : public QObject
{
    Q_OBJECT

private slots:
    void fixedTexts_data();
    void fixedTexts();
    void openingBlock();
    void responseRecord_data();
    void responseRecord();
    void notesRecord_data();
    void notesRecord();
    void questionNumberValue_data();
    void questionNumberValue();
    void questionNumberLine_data();
    void questionNumberLine();
    void valueOf_data();
    void valueOf();
    void decimalText_data();
    void decimalText();
};

void TestRecordComposition::fixedTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("length");

    const auto dots = [](int n) { return QString(n, u'.'); };
    QTest::newRow("opening rule") << fixedtext::openingRule.toString()
                                  << dots(6) + QString(8, u'!') + dots(35) << 49;
    QTest::newRow("closing rule") << fixedtext::closingRule.toString() << dots(49) << 49;
    QTest::newRow("stamp indent") << fixedtext::stampIndent.toString() << QString(36, u' ') << 36;
    QTest::newRow("response head")
        << fixedtext::responseHead.toString() << QStringLiteral("RESPONSE -->  ") << 14;
    QTest::newRow("confidence label") << fixedtext::confidenceLabel.toString()
                                      << QStringLiteral("confidence assessment:  ") << 24;
    QTest::newRow("self-critique label") << fixedtext::selfCritiqueLabel.toString()
                                         << QStringLiteral("self critique assessment: ") << 26;
    QTest::newRow("notes label") << fixedtext::notesLabel.toString()
                                 << QStringLiteral("NOTES -------> ") << 15;
    QTest::newRow("question-number label")
        << fixedtext::questionNumberLabel.toString() << QStringLiteral("`questionNumber") << 15;
    QTest::newRow("assignment label")
        << fixedtext::assignmentLabel.toString() << QStringLiteral("assignment #") << 12;
}

void TestRecordComposition::fixedTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(int, length);
    QCOMPARE(text, expected);
    QCOMPARE(text.size(), length);
}

void TestRecordComposition::openingBlock()
{
    const QString codeLine = QString::fromUtf16(u"\u00C8wQ\u20AC\u00FF\u0081");
    const QString block = records::openingBlock(
        codeLine, assignmentLine(QStringLiteral("001")), QStringLiteral("001.  Areas"),
        QStringLiteral("bexlorin"), QStringLiteral("03-03-2026"));
    QCOMPARE(bytesOf(block), QByteArray("\xC8wQ\x80\xFF\x81\r\n"
                                        "assignment #001\r\n"
                                        "001.  Areas\r\n"
                                        "bexlorin\r\n"
                                        "03-03-2026\r\n"));
}

void TestRecordComposition::responseRecord_data()
{
    QTest::addColumn<RecordFile>("file");
    QTest::addColumn<QString>("time");
    QTest::addColumn<double>("questionNumber");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("response");
    QTest::addColumn<Rating>("rating");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("expected");

    const double q3 = records::questionNumberValue(QStringLiteral("001"), QStringLiteral("3"));
    const QString question = QStringLiteral("`q001.  3.  What is 2 cm times 3 cm?");
    const QString answer = QString::fromUtf16(u"2 cm \u00D7 3 cm = 6 cm\u00B2 \u2013 an area.");
    const QString morning = QStringLiteral("09:05:30");
    const QString threeLines = QStringLiteral("one\r\ntwo\r\nthree");

    // clang-format off
    QTest::newRow("master, question")
        << RecordFile::Master << morning << q3 << question << QStringLiteral("6 cm^2")
        << Rating::Confidence << QStringLiteral("2")
        << QByteArray(OPENING_RULE
                      INDENT "09:05:30\r\n"
                      "\r\n"
                      "\r\n"
                      "`questionNumber 10003 \r\n"
                      "`q001.  3.  What is 2 cm times 3 cm?\r\n"
                      OPENING_RULE
                      "RESPONSE -->  \r\n"
                      "6 cm^2\r\n"
                      "confidence assessment:  2\r\n"
                      CLOSING_RULE);
    QTest::newRow("send, question")
        << RecordFile::Send << morning << q3 << question << QStringLiteral("6 cm^2")
        << Rating::Confidence << QStringLiteral("2")
        << QByteArray(OPENING_RULE
                      INDENT "09:05:30\r\n"
                      "`q001.  3.  What is 2 cm times 3 cm?\r\n"
                      OPENING_RULE
                      "RESPONSE -->  \r\n"
                      "6 cm^2\r\n"
                      "confidence assessment:  2\r\n"
                      CLOSING_RULE);
    QTest::newRow("master, answer")
        << RecordFile::Master << morning << q3 << answer << QStringLiteral("right")
        << Rating::SelfCritique << QStringLiteral("1")
        << QByteArray(OPENING_RULE
                      INDENT "09:05:30\r\n"
                      "\r\n"
                      "\r\n"
                      "`questionNumber 10003 \r\n"
                      "2 cm \xD7 3 cm = 6 cm\xB2 \x96 an area.\r\n"
                      OPENING_RULE
                      "RESPONSE -->  \r\n"
                      "right\r\n"
                      "self critique assessment: 1\r\n"
                      CLOSING_RULE);
    // Nothing marked has been read yet: no rating line, whatever was typed.
    QTest::newRow("master, before any entry")
        << RecordFile::Master << morning << 10000.0 << QString() << QStringLiteral("hello")
        << Rating::None << QStringLiteral("3")
        << QByteArray(OPENING_RULE
                      INDENT "09:05:30\r\n"
                      "\r\n"
                      "\r\n"
                      "`questionNumber 10000 \r\n"
                      "\r\n"
                      OPENING_RULE
                      "RESPONSE -->  \r\n"
                      "hello\r\n"
                      CLOSING_RULE);
    QTest::newRow("send, three lines, cancelled")
        << RecordFile::Send << morning << q3 << question << threeLines << Rating::Confidence
        << QString()
        << QByteArray(OPENING_RULE
                      INDENT "09:05:30\r\n"
                      "`q001.  3.  What is 2 cm times 3 cm?\r\n"
                      OPENING_RULE
                      "RESPONSE -->  \r\n"
                      "one\r\n"
                      "two\r\n"
                      "three\r\n"
                      "confidence assessment:  \r\n"
                      CLOSING_RULE);
    QTest::newRow("send, answer, cancelled")
        << RecordFile::Send << QStringLiteral("23:59:59") << q3 << answer << QString()
        << Rating::SelfCritique << QString()
        << QByteArray(OPENING_RULE
                      INDENT "23:59:59\r\n"
                      "2 cm \xD7 3 cm = 6 cm\xB2 \x96 an area.\r\n"
                      OPENING_RULE
                      "RESPONSE -->  \r\n"
                      "\r\n"
                      "self critique assessment: \r\n"
                      CLOSING_RULE);
    // clang-format on
}

void TestRecordComposition::responseRecord()
{
    QFETCH(RecordFile, file);
    QFETCH(QString, time);
    QFETCH(double, questionNumber);
    QFETCH(QString, entry);
    QFETCH(QString, response);
    QFETCH(Rating, rating);
    QFETCH(QString, typed);
    QFETCH(QByteArray, expected);

    const QString record =
        records::responseRecord(file, time, questionNumber, {entry, response}, rating, typed);
    QCOMPARE(bytesOf(record), expected);
}

void TestRecordComposition::notesRecord_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("expected");

    // clang-format off
    QTest::newRow("note on a question")
        << QStringLiteral("`q002.  7.  What is the volume?")
        << QString::fromUtf16(u"1 cm\u00B3 = 1 mL\r\nremember")
        << QByteArray(OPENING_RULE
                      INDENT "09:05:30\r\n"
                      INDENT "03-03-202609:05:31\r\n"
                      "`q002.  7.  What is the volume?\r\n"
                      OPENING_RULE
                      "NOTES -------> 1 cm\xB3 = 1 mL\r\n"
                      "remember\r\n"
                      CLOSING_RULE);
    QTest::newRow("empty note before any entry")
        << QString() << QString()
        << QByteArray(OPENING_RULE
                      INDENT "09:05:30\r\n"
                      INDENT "03-03-202609:05:31\r\n"
                      "\r\n"
                      OPENING_RULE
                      "NOTES -------> \r\n"
                      CLOSING_RULE);
    // clang-format on
}

void TestRecordComposition::notesRecord()
{
    QFETCH(QString, entry);
    QFETCH(QString, typed);
    QFETCH(QByteArray, expected);

    // The two stamps come from two readings of the clock.
    const QString record =
        records::notesRecord(QStringLiteral("09:05:30"), QStringLiteral("03-03-202609:05:31"),
                             {entry, notesLine(typed)});
    QCOMPARE(bytesOf(record), expected);
}

void TestRecordComposition::questionNumberValue_data()
{
    QTest::addColumn<QString>("assignment");
    QTest::addColumn<QString>("question");
    QTest::addColumn<double>("value");

    QTest::newRow("002 and 7") << QStringLiteral("002") << QStringLiteral("7") << 20007.0;
    QTest::newRow("001 and 3") << QStringLiteral("001") << QStringLiteral("3") << 10003.0;
    QTest::newRow("no question yet") << QStringLiteral("004") << QString() << 40000.0;
    QTest::newRow("nothing") << QString() << QString() << 0.0;
    QTest::newRow("blanks in question")
        << QStringLiteral("003") << QStringLiteral(" 1 2") << 30012.0;
    QTest::newRow("trailing letters") << QStringLiteral("001") << QStringLiteral("12a") << 10012.0;
}

void TestRecordComposition::questionNumberValue()
{
    QFETCH(QString, assignment);
    QFETCH(QString, question);
    QFETCH(double, value);
    QCOMPARE(records::questionNumberValue(assignment, question), value);
}

void TestRecordComposition::questionNumberLine_data()
{
    QTest::addColumn<double>("n");
    QTest::addColumn<QString>("line");

    QTest::newRow("10003") << 10003.0 << QStringLiteral("`questionNumber 10003 ");
    QTest::newRow("20007") << 20007.0 << QStringLiteral("`questionNumber 20007 ");
    QTest::newRow("zero") << 0.0 << QStringLiteral("`questionNumber 0 ");
    QTest::newRow("negative") << -5.0 << QStringLiteral("`questionNumber-5 ");
    QTest::newRow("negative, five digits") << -10003.0 << QStringLiteral("`questionNumber-10003 ");
    QTest::newRow("fraction") << 10002.5 << QStringLiteral("`questionNumber 10002.5 ");
}

void TestRecordComposition::questionNumberLine()
{
    QFETCH(double, n);
    QFETCH(QString, line);
    QCOMPARE(records::questionNumberLine(n), line);
}

void TestRecordComposition::valueOf_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("001") << QStringLiteral("001") << 1.0;
    QTest::newRow("012") << QStringLiteral("012") << 12.0;
    QTest::newRow("blanks ignored") << QStringLiteral(" 1 2") << 12.0;
    QTest::newRow("letters") << QStringLiteral("ab") << 0.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("only blanks") << QStringLiteral("   ") << 0.0;
    QTest::newRow("minus") << QStringLiteral("-1") << -1.0;
    QTest::newRow("blank after sign") << QStringLiteral("- 4") << -4.0;
    QTest::newRow("sign alone") << QStringLiteral("-") << 0.0;
    QTest::newRow("no exponent") << QStringLiteral("1e3") << 1.0;
    QTest::newRow("fraction then letter") << QStringLiteral("3.5x") << 3.5;
    QTest::newRow("fraction only") << QStringLiteral(".5") << 0.5;
    QTest::newRow("second point ends") << QStringLiteral("1.2.3") << 1.2;
    QTest::newRow("comma is no decimal point") << QStringLiteral("1,5") << 1.0;
    QTest::newRow("digits then letters") << QStringLiteral("7abc") << 7.0;
}

void TestRecordComposition::valueOf()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(numbertext::valueOf(text), value);
}

void TestRecordComposition::decimalText_data()
{
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("text");

    QTest::newRow("2") << 2.0 << QStringLiteral("2");
    QTest::newRow("-1") << -1.0 << QStringLiteral("-1");
    QTest::newRow("2.5") << 2.5 << QStringLiteral("2.5");
    QTest::newRow("10003") << 10003.0 << QStringLiteral("10003");
    QTest::newRow("0") << 0.0 << QStringLiteral("0");
    QTest::newRow("seven significant digits") << 10003.25 << QStringLiteral("10003.25");
    QTest::newRow("nine digits") << 123456789.0 << QStringLiteral("123456789");
}

void TestRecordComposition::decimalText()
{
    QFETCH(double, number);
    QFETCH(QString, text);
    QCOMPARE(numbertext::decimalText(number), text);
}

QTEST_GUILESS_MAIN(TestRecordComposition)
#include "tst_recordcomposition.moc"
