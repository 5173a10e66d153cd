// SPDX-License-Identifier: MIT
#include "records/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

using namespace records;

namespace {

QList<uint> asCodePoints(const QList<char32_t> &characters)
{
    QList<uint> points;
    for (const char32_t c : characters)
        points.append(uint(c));
    return points;
}

QByteArray allBytes()
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes.append(char(b));
    return bytes;
}

} // namespace

class TestCodePage : public QObject
{
    Q_OBJECT

private slots:
    void everyByteRoundTrips();
    void knownBytes_data();
    void knownBytes();
    void storability_data();
    void storability();
    void agreesWithIcuDecoder_data();
    void agreesWithIcuDecoder();
    void refusesWhatIcuCannotStore();
};

void TestCodePage::everyByteRoundTrips()
{
    const QByteArray bytes = allBytes();
    const QString text = codepage::decode(bytes);
    QCOMPARE(text.size(), 256);
    const auto back = codepage::encode(text);
    QVERIFY(back.has_value());
    QCOMPARE(*back, bytes);
    for (int b = 0; b < 256; ++b) {
        QCOMPARE(text.at(b), codepage::characterOf(b));
        QCOMPARE(codepage::codeOf(codepage::characterOf(b).unicode()), b);
    }
}

void TestCodePage::knownBytes_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<uint>("character");

    // Left undefined by Windows-1252; kept as the C1 control of the same number, as Windows
    // does, so a code line read back is unchanged.
    QTest::newRow("undefined 0x81") << 0x81 << 0x0081u;
    QTest::newRow("undefined 0x8D") << 0x8D << 0x008Du;
    QTest::newRow("undefined 0x8F") << 0x8F << 0x008Fu;
    QTest::newRow("undefined 0x90") << 0x90 << 0x0090u;
    QTest::newRow("undefined 0x9D") << 0x9D << 0x009Du;

    QTest::newRow("euro 0x80") << 0x80 << 0x20ACu;
    QTest::newRow("right single quote 0x92") << 0x92 << 0x2019u;
    QTest::newRow("en dash 0x96") << 0x96 << 0x2013u;
    QTest::newRow("Y diaeresis 0x9F") << 0x9F << 0x0178u;
    QTest::newRow("no-break space 0xA0") << 0xA0 << 0x00A0u;
    QTest::newRow("e acute 0xE9") << 0xE9 << 0x00E9u;
    QTest::newRow("y diaeresis 0xFF") << 0xFF << 0x00FFu;
    QTest::newRow("NUL") << 0x00 << 0x0000u;
    QTest::newRow("DEL 0x7F") << 0x7F << 0x007Fu;
}

void TestCodePage::knownBytes()
{
    QFETCH(int, byte);
    QFETCH(uint, character);

    QCOMPARE(uint(codepage::characterOf(byte).unicode()), character);
    QCOMPARE(codepage::codeOf(char32_t(character)), byte);
    QCOMPARE(codepage::decode(QByteArray(1, char(byte))), QString(QChar(char16_t(character))));
}

void TestCodePage::storability_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<uint>>("unstorable");

    const QString emoji = QString::fromUcs4(U"\U0001F600", 1);
    const QChar loneHigh(char16_t(0xD83D));
    const QChar loneLow(char16_t(0xDE00));

    QTest::newRow("empty") << QString() << QList<uint>{};
    QTest::newRow("plain text") << QStringLiteral("a = 3 cm^2, done.") << QList<uint>{};
    QTest::newRow("high characters")
        << QString::fromUtf16(u"\u20AC \u00E9\u2013\u00FF\u0081") << QList<uint>{};
    QTest::newRow("pi") << QString::fromUtf16(u"A = \u03C0r^2") << QList<uint>{0x03C0};
    QTest::newRow("arrow") << QString::fromUtf16(u"a \u2192 b") << QList<uint>{0x2192};
    QTest::newRow("emoji is one character")
        << (QStringLiteral("ok ") + emoji + QStringLiteral("!")) << QList<uint>{0x1F600};
    QTest::newRow("lone high surrogate")
        << (QStringLiteral("a") + loneHigh + QStringLiteral("b")) << QList<uint>{0xD83D};
    QTest::newRow("high surrogate at the end")
        << (QStringLiteral("a") + loneHigh) << QList<uint>{0xD83D};
    QTest::newRow("lone low surrogate") << (loneLow + QStringLiteral("a")) << QList<uint>{0xDE00};
    QTest::newRow("each once, first appearance first")
        << (QString::fromUtf16(u"\u2192\u03C0") + emoji + QString::fromUtf16(u"\u03C0\u2192") +
            emoji)
        << QList<uint>{0x2192, 0x03C0, 0x1F600};
    // 0x80 holds the euro sign, so U+0080 itself has no byte.
    QTest::newRow("C1 control U+0080") << QString(QChar(char16_t(0x80))) << QList<uint>{0x80};
    QTest::newRow("C1 control U+009F") << QString(QChar(char16_t(0x9F))) << QList<uint>{0x9F};
    QTest::newRow("A macron U+0100") << QString(QChar(char16_t(0x100))) << QList<uint>{0x100};
}

void TestCodePage::storability()
{
    QFETCH(QString, text);
    QFETCH(QList<uint>, unstorable);

    QCOMPARE(asCodePoints(codepage::unstorableCharacters(text)), unstorable);
    const auto bytes = codepage::encode(text);
    QCOMPARE(bytes.has_value(), unstorable.isEmpty());
    if (bytes) {
        QCOMPARE(bytes->size(), text.size());
        QCOMPARE(codepage::decode(*bytes), text);
    }
    for (const uint c : unstorable)
        QCOMPARE(codepage::codeOf(char32_t(c)), -1);
}

void TestCodePage::agreesWithIcuDecoder_data()
{
    QTest::addColumn<int>("byte");
    for (int b = 0; b < 256; ++b)
        QTest::addRow("byte 0x%02X", b) << b;
}

void TestCodePage::agreesWithIcuDecoder()
{
    QFETCH(int, byte);

    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid())
        QSKIP("this Qt has no windows-1252 codec");
    const QString icu = decoder.decode(QByteArray(1, char(byte)));
    QVERIFY(!decoder.hasError());
    QCOMPARE(icu.size(), 1);
    QCOMPARE(uint(icu.at(0).unicode()), uint(codepage::characterOf(byte).unicode()));
}

void TestCodePage::refusesWhatIcuCannotStore()
{
    // Every character of the Basic Multilingual Plane, surrogates aside: the independent codec
    // must store exactly those that ours gives a code, with the same byte.
    if (!QStringEncoder("windows-1252").isValid())
        QSKIP("this Qt has no windows-1252 codec");
    int storable = 0;
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        QStringEncoder single("windows-1252");
        const QChar character{char16_t(c)};
        const QByteArray icu = single.encode(QStringView(&character, 1));
        const int ours = codepage::codeOf(c);
        if (single.hasError()) {
            QVERIFY2(ours == -1, qPrintable(QStringLiteral("U+%1").arg(uint(c), 4, 16)));
        } else {
            QVERIFY2(ours == int(uchar(icu.at(0))) && icu.size() == 1,
                     qPrintable(QStringLiteral("U+%1").arg(uint(c), 4, 16)));
            ++storable;
        }
    }
    QCOMPARE(storable, 256);
}

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
