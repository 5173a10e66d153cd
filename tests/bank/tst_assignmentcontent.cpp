// SPDX-License-Identifier: MIT
// Checks the built-in question bank as the line store holds it after filling: the exact heads,
// count sentences, prompts and closing lines, the entry layout the readers rely on, the form
// of the worked answers and the key results they must reach.
#include "bank/assignmentcontent.h"
#include "bank/linestore.h"
#include "bank/markup.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTest>

#include <array>

namespace {

using bank::LineStore;
namespace markup = bank::markup;

// Where each assignment sits in the filled store. `nextIndex` is the head of the following
// assignment, or the end entry after the fourth.
struct AssignmentBlock
{
    int assignment;
    int headIndex;
    int closingIndex;
    int nextIndex;
    int questionCount;
};

constexpr std::array<AssignmentBlock, 4> blocks{{
    {1, 1, 73, 75, 18},
    {2, 75, 127, 129, 13},
    {3, 129, 189, 191, 15},
    {4, 191, 251, 253, 15},
}};

constexpr int contentEntryCount = 253;
constexpr int endEntryIndex = 253;

const AssignmentBlock &blockOf(int assignment)
{
    return blocks.at(static_cast<std::size_t>(assignment - 1));
}

QString threeDigits(int number)
{
    return QString::number(number).rightJustified(3, u'0');
}

QString organisationPrompt()
{
    return QStringLiteral("Explain how you have organized your knowledge of the principles "
                          "illustrated by the exercises in this assignment.");
}

QString crlf()
{
    return QStringLiteral("\r\n");
}

// Where two texts part, with a little context on each side, for failure messages.
QString describeDifference(const QString &expected, const QString &actual)
{
    qsizetype at = 0;
    while (at < expected.size() && at < actual.size() && expected.at(at) == actual.at(at))
        ++at;
    const auto excerpt = [at](const QString &text) {
        QString part = text.mid(qMax<qsizetype>(0, at - 20), 60);
        part.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
        return part;
    };
    return QStringLiteral("texts differ at character %1 (expected length %2, found %3)\n"
                          "   expected: ...%4...\n   found:    ...%5...")
        .arg(at)
        .arg(expected.size())
        .arg(actual.size())
        .arg(excerpt(expected), excerpt(actual));
}

// The store index of question `number` of `assignment`, looked up by its numbering within the
// assignment's block; -1 if absent, -2 if the number occurs more than once.
int questionIndex(const LineStore &store, int assignment, int number)
{
    const AssignmentBlock &block = blockOf(assignment);
    const QString key = QStringLiteral("`q") + threeDigits(number) + u'.';
    int found = -1;
    for (int index = block.headIndex; index < block.nextIndex; ++index) {
        if (store.entry(index).startsWith(key)) {
            if (found != -1)
                return -2;
            found = index;
        }
    }
    return found;
}

// Printable ASCII, or CR LF as a pair; the offending position otherwise, -1 if clean.
qsizetype firstBadCharacter(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r') {
            if (i + 1 >= text.size() || text.at(i + 1) != u'\n')
                return i;
            ++i;
            continue;
        }
        if (c < 0x20 || c > 0x7e)
            return i;
    }
    return -1;
}

} // namespace

class TestAssignmentContent : public QObject
{
    Q_OBJECT

private:
    QStringList content;
    LineStore store;

private slots:
    void initTestCase();

    void storeAfterFilling();
    void fixedEntries_data();
    void fixedEntries();
    void questionEntries_data();
    void questionEntries();

    void assignmentLayout_data();
    void assignmentLayout();
    void markerTotals();
    void headLines_data();
    void headLines();

    void answerForm_data();
    void answerForm();
    void lineBreakCodeOnlyInRadiusAnswer();
    void keyResults_data();
    void keyResults();
};

void TestAssignmentContent::initTestCase()
{
    content = bank::assignmentContent();
    store.bankLineCount = 0;
    store.fill(content);
}

void TestAssignmentContent::storeAfterFilling()
{
    QCOMPARE(content.size(), contentEntryCount);
    QCOMPARE(store.bankLineCount, 0);
    QVERIFY(store.entry(0).isEmpty());
    for (int index = 1; index <= contentEntryCount; ++index)
        QVERIFY2(store.entry(index) == content.at(index - 1),
                 qPrintable(
                     QStringLiteral("entry %1 is not content text %2").arg(index).arg(index - 1)));
    for (int index = contentEntryCount + 1; index <= LineStore::lastIndex; ++index)
        QVERIFY2(store.entry(index).isEmpty(),
                 qPrintable(QStringLiteral("entry %1 past the end entry is filled").arg(index)));
}

void TestAssignmentContent::fixedEntries_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");

    QTest::newRow("never filled 0") << 0 << QString();
    QTest::newRow("head 001") << 1 << QStringLiteral("001.  Areas");
    QTest::newRow("blank after head 001") << 2 << QString();
    QTest::newRow("closing 001") << 73 << QStringLiteral("This ends the first assignment.");
    QTest::newRow("blank after closing 001") << 74 << QString();
    QTest::newRow("head 002") << 75 << QStringLiteral("002.  Volumes");
    QTest::newRow("blank after head 002") << 76 << QString();
    QTest::newRow("closing 002") << 127 << QStringLiteral("This ends the second assignment.");
    QTest::newRow("blank after closing 002") << 128 << QString();
    QTest::newRow("head 003") << 129
                              << QStringLiteral(
                                     "003.  Misc:  Surface Area, Pythagorean Theorem, Density");
    QTest::newRow("blank after head 003") << 130 << QString();
    QTest::newRow("closing 003 keeps its trailing blank")
        << 189 << QStringLiteral("This ends the third assignment. ");
    QTest::newRow("blank after closing 003") << 190 << QString();
    QTest::newRow("head 004") << 191 << QStringLiteral("004.  Units of volume measure");
    QTest::newRow("blank after head 004") << 192 << QString();
    QTest::newRow("closing 004") << 251 << QStringLiteral("This ends the fourth assignment.");
    QTest::newRow("blank after closing 004") << 252 << QString();
    QTest::newRow("end entry") << endEntryIndex << QStringLiteral("end program");
    QTest::newRow("first slot past the end entry") << endEntryIndex + 1 << QString();
    QTest::newRow("last slot") << 5000 << QString();
}

void TestAssignmentContent::fixedEntries()
{
    QFETCH(int, index);
    QFETCH(QString, expected);

    const QString &actual = store.entry(index);
    QVERIFY2(actual == expected, qPrintable(describeDifference(expected, actual)));
}

void TestAssignmentContent::questionEntries_data()
{
    QTest::addColumn<int>("assignment");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("countSentence");
    QTest::addColumn<QString>("prompt");

    const auto row = [](int assignment, int number, const QString &prompt,
                        const QString &countSentence = QString()) {
        QTest::addRow("%d-%03d", assignment, number)
            << assignment << number << countSentence << prompt;
    };

    // Areas.
    row(1, 1,
        QStringLiteral("What is the area of a rectangle whose dimensions are 4 m by 3 meters."),
        QStringLiteral("There are 11 questions and 7 summary questions in this assignment.   "));
    row(1, 2,
        QStringLiteral(
            "What is the area of a right triangle whose legs are 4.0 meters and 3.0 meters?"));
    row(1, 3,
        QStringLiteral("What is the area of a parallelogram whose base is 5.0 meters and whose "
                       "altitude is 2.0 meters?"));
    row(1, 4,
        QStringLiteral(
            "What is the area of a triangle whose base is 5.0 cm and whose altitude is 2.0 cm?"));
    row(1, 5,
        QStringLiteral("What is the area of a trapezoid with a width of 4.0 km and average "
                       "altitude of 5.0 km?"));
    row(1, 6,
        QStringLiteral("What is the area of a trapezoid whose width is 4 cm in whose altitudes "
                       "are 3.0 cm and 8.0 cm?"));
    row(1, 7, QStringLiteral("What is the area of a circle whose radius is 3.00 cm?"));
    row(1, 8,
        QStringLiteral("What is the circumference of a circle whose radius is exactly 3 cm?"));
    row(1, 9, QStringLiteral("What is the area of a circle whose diameter is exactly 12 meters?"));
    row(1, 10,
        QStringLiteral("What is the area of a circle whose circumference is 14 `pi meters?"));
    row(1, 11, QStringLiteral("What is the radius of circle whose area is 78 square meters?"));
    row(1, 12, QStringLiteral("Summary Question 1:  How do we visualize the area of a rectangle?"));
    row(1, 13,
        QStringLiteral("Summary Question 2:  How do we visualize the area of a right triangle?"));
    row(1, 14,
        QStringLiteral("Summary Question 3:  How do we calculate the area of a parallelogram?"));
    row(1, 15, QStringLiteral("Summary Question 4:  How do we calculate the area of a trapezoid?"));
    row(1, 16, QStringLiteral("Summary Question 5:  How do we calculate the area of a circle?"));
    row(1, 17,
        QStringLiteral("Summary Question 6:  How do we calculate the circumference of a "
                       "circle?  How can we easily avoid confusing this formula with that for "
                       "the area of the circle?"));
    row(1, 18, organisationPrompt());

    // Volumes.
    row(2, 1,
        QStringLiteral("What is the volume of a rectangular solid whose dimensions are exactly "
                       "3 cm by 5 cm by 7 cm?"),
        QStringLiteral("There are 9 questions and 4 summary questions in this assignment.   "));
    row(2, 2,
        QStringLiteral("What is the volume of a rectangular solid whose base area is 48 square "
                       "meters and whose altitude is 2 meters?"));
    row(2, 3,
        QStringLiteral("What is the volume of a uniform cylinder whose base area is 20 square "
                       "meters and whose altitude is 40 meters?"));
    row(2, 4,
        QStringLiteral("What is the volume of a uniform cylinder whose base has radius 5 cm and "
                       "whose altitude is 30 cm?"));
    row(2, 5,
        QStringLiteral("Estimate the dimensions of a metal can containing food. What is its "
                       "volume, as indicated by your estimates?"));
    row(2, 6,
        QStringLiteral("What is the volume of a pyramid whose base area is 50 square cm and "
                       "whose altitude is 60 cm?"));
    row(2, 7,
        QStringLiteral("What is the volume of a cone whose base area is 20 square meters and "
                       "whose altitude is 9 meters?"));
    row(2, 8, QStringLiteral("What is a volume of a sphere whose radius is 4 meters?"));
    row(2, 9, QStringLiteral("What is the volume of a planet whose diameter is 14,000 km?"));
    row(2, 10,
        QStringLiteral("Summary Question 1:  What basic principle do we apply to find the "
                       "volume of a uniform cylinder of known dimensions?"));
    row(2, 11,
        QStringLiteral("Summary Question 2:  What basic principle do we apply to find the "
                       "volume of a pyramid or a cone?"));
    row(2, 12,
        QStringLiteral("Summary Question 3:  What is the formula for the volume of a sphere?"));
    row(2, 13, organisationPrompt());

    // Surface area, the Pythagorean theorem, density.
    row(3, 1,
        QStringLiteral("What is surface area of a rectangular solid whose dimensions are 3 "
                       "meters by 4 meters by 6 meters?"),
        QStringLiteral("There are 10 questions and 5 summary questions in this assignment.   "));
    row(3, 2,
        QStringLiteral("What is the surface area of the curved sides of a cylinder whose radius "
                       "is five meters and whose altitude is 12 meters? If the cylinder is "
                       "closed what is its total surface area?"));
    row(3, 3, QStringLiteral("What is surface area of a sphere of diameter three cm?"));
    row(3, 4,
        QStringLiteral(
            "What is hypotenuse of a right triangle whose legs are 5 meters and 9 meters?"));
    row(3, 5,
        QStringLiteral("If the hypotenuse of a right triangle has length 6 meters and one of its "
                       "legs has length 4 meters what is the length of the other leg?"));
    row(3, 6,
        QStringLiteral("If a rectangular solid made of a uniform, homogeneous material has "
                       "dimensions 4 cm by 7 cm by 12 cm and if its mass is 700 grams then what "
                       "is its density in grams per cubic cm?"));
    row(3, 7,
        QStringLiteral("What is the mass of a sphere of radius 4 meters if its average density "
                       "is 3,000 kg/cubic meter?"));
    row(3, 8,
        QStringLiteral("If we build a an object out of two pieces of material, one having a "
                       "volume of 6 cm^3 at a density of 4 grams per cm^3 and another with a "
                       "volume of 10 cm^3 at a density of 2 grams per cm^3 then what is the "
                       "average density of this object?"));
    row(3, 9,
        QStringLiteral("In a large box of dimension 2 meters by 3 meters by 5 meters we place "
                       "27 cubic meters of sand whose density is 2100 kg/cubic meter, "
                       "surrounding a total of three cubic meters of cannon balls whose density "
                       "is 8,000 kg per cubic meter. What is the average density of the "
                       "material in the box?"));
    row(3, 10,
        QStringLiteral("How many cubic meters of oil are there in an oil slick which covers "
                       "1,700,000 square meters (between 1/2 and 1 square mile) to an average "
                       "depth of .015 meters? If the density of the oil is 860 kg/cubic meter "
                       "the what is the mass of the oil slick?"));
    row(3, 11,
        QStringLiteral("Summary Question 1:  How do we find the surface area of a cylinder?"));
    row(3, 12,
        QStringLiteral(
            "Summary Question 2:  What is the formula for the surface area of a sphere?"));
    row(3, 13, QStringLiteral("Summary Question 3:  What is the meaning of the term 'density'."));
    row(3, 14,
        QStringLiteral("Summary Question 4:  If we know average density and mass, how can we "
                       "find volume?"));
    row(3, 15, organisationPrompt());

    // Units of volume measure.
    row(4, 1,
        QStringLiteral("How many cubic centimeters of fluid would require to fill a cubic "
                       "container 10 cm on a side?"),
        QStringLiteral("There are 10 questions and 5 summary questions in this assignment.   "));
    row(4, 2,
        QStringLiteral("How many cubes each 10 cm on a side would it take to build a solid cube "
                       "one meter on a side?"));
    row(4, 3,
        QStringLiteral("How many square tiles each one meter on each side would it take to "
                       "cover a square one km on the side?"));
    row(4, 4, QStringLiteral("How many cubic centimeters are there in a liter?"));
    row(4, 5, QStringLiteral("How many liters are there in a cubic meter?"));
    row(4, 6, QStringLiteral("How many cm^3 are there in a cubic meter?"));
    row(4, 7,
        QStringLiteral("If a liter of water has a mass of 1 kg the what is the mass of a cubic "
                       "meter of water?"));
    row(4, 8, QStringLiteral("What is the mass of a cubic km of water?"));
    row(4, 9,
        QStringLiteral("If each of 5 billion people drink two liters of water per day then how "
                       "long would it take these people to drink a cubic km of water?"));
    row(4, 10,
        QStringLiteral("The radius of the Earth is approximately 6400 kilometers. What is the "
                       "surface area of the Earth? If the surface of the Earth was covered to a "
                       "depth of 2 km with water that what would be the approximate volume of "
                       "all this water?"));
    row(4, 11,
        QStringLiteral("Summary Question 1:  How can we visualize the number of cubic "
                       "centimeters in a liter?"));
    row(4, 12,
        QStringLiteral("Summary Question 2:  How can we visualize the number of liters in a "
                       "cubic meter?"));
    row(4, 13,
        QStringLiteral("Summary Question 3:  How can we calculate the number of cubic "
                       "centimeters in a cubic meter?"));
    row(4, 14,
        QStringLiteral("Summary Question 4:  There are 1000 meters in a kilometer.  So why "
                       "aren't there 1000 cubic meters in a cubic kilometer?  Or are there?"));
    row(4, 15, organisationPrompt());
}

void TestAssignmentContent::questionEntries()
{
    QFETCH(int, assignment);
    QFETCH(int, number);
    QFETCH(QString, countSentence);
    QFETCH(QString, prompt);

    const int index = questionIndex(store, assignment, number);
    QVERIFY2(index != -1, "no question entry with this number in the assignment");
    QVERIFY2(index != -2, "more than one question entry with this number in the assignment");

    QString expected = QStringLiteral("`q") + threeDigits(number) + QStringLiteral(".  ");
    if (!countSentence.isEmpty())
        expected += countSentence + crlf() + crlf();
    expected += prompt;

    const QString &actual = store.entry(index);
    QVERIFY2(actual == expected, qPrintable(describeDifference(expected, actual)));
    QVERIFY(markup::isQuestion(actual));
}

void TestAssignmentContent::assignmentLayout_data()
{
    QTest::addColumn<int>("assignment");
    QTest::addColumn<QString>("number");

    for (const AssignmentBlock &block : blocks)
        QTest::addRow("%03d", block.assignment)
            << block.assignment << threeDigits(block.assignment);
}

void TestAssignmentContent::assignmentLayout()
{
    QFETCH(int, assignment);
    QFETCH(QString, number);
    const AssignmentBlock &block = blockOf(assignment);

    const auto where = [](int index) {
        return QStringLiteral("at store index %1").arg(index).toLocal8Bit();
    };

    int index = block.headIndex;
    QVERIFY2(markup::isHeadLineOf(store.entry(index), number), where(index).constData());
    ++index;
    QVERIFY2(store.entry(index).isEmpty(), where(index).constData());
    ++index;

    for (int question = 1; question <= block.questionCount; ++question) {
        const QString &entry = store.entry(index);
        QVERIFY2(markup::isQuestion(entry), where(index).constData());
        QCOMPARE(entry.mid(2, 4), threeDigits(question) + u'.');
        QCOMPARE(entry.mid(6, 2), QStringLiteral("  "));
        QVERIFY2(store.entry(index + 1).isEmpty(), where(index + 1).constData());

        const bool organisation = entry.endsWith(organisationPrompt());
        if (question < block.questionCount) {
            QVERIFY2(!organisation, where(index).constData());
            const QString &answer = store.entry(index + 2);
            QVERIFY2(markup::isAnswer(answer), where(index + 2).constData());
            QVERIFY2(!answer.mid(2).trimmed().isEmpty(), where(index + 2).constData());
            QVERIFY2(store.entry(index + 3).isEmpty(), where(index + 3).constData());
            index += 4;
        } else {
            QVERIFY2(organisation, where(index).constData());
            index += 2;
        }
    }

    // After the organisation question's blank: the closing line, never an answer, then a blank
    // and the next head (or the end entry).
    QCOMPARE(index, block.closingIndex);
    const QString &closing = store.entry(index);
    QVERIFY(closing.startsWith(QStringLiteral("This ends the ")));
    QVERIFY(!markup::isAnswer(closing));
    QVERIFY(!markup::isQuestion(closing));
    QVERIFY2(store.entry(index + 1).isEmpty(), where(index + 1).constData());
    QCOMPARE(index + 2, block.nextIndex);

    int questions = 0;
    int answers = 0;
    for (int i = block.headIndex; i < block.nextIndex; ++i) {
        questions += markup::isQuestion(store.entry(i)) ? 1 : 0;
        answers += markup::isAnswer(store.entry(i)) ? 1 : 0;
    }
    QCOMPARE(questions, block.questionCount);
    QCOMPARE(answers, block.questionCount - 1);
}

void TestAssignmentContent::markerTotals()
{
    int questions = 0;
    int answers = 0;
    int questionsAnyCase = 0;
    int markedEntries = 0;
    for (int index = 0; index <= LineStore::lastIndex; ++index) {
        const QString &entry = store.entry(index);
        QVERIFY2(!markup::isRoutine(entry),
                 qPrintable(QStringLiteral("entry %1 is a routine line").arg(index)));
        QVERIFY2(
            !markup::isHeadLineOf(entry, u"000") && !markup::isHeadLineOf(entry, u"005"),
            qPrintable(
                QStringLiteral("entry %1 heads an assignment that does not exist").arg(index)));
        questions += markup::isQuestion(entry) ? 1 : 0;
        answers += markup::isAnswer(entry) ? 1 : 0;
        questionsAnyCase += markup::isQuestionIgnoringCase(entry) ? 1 : 0;
        markedEntries += entry.startsWith(u'`') ? 1 : 0;
        // Read aloud, an entry keeps no marker and no line-break code.
        const QString spoken = markup::spokenText(
            QString(entry).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QVERIFY2(!spoken.contains(u'`') && !spoken.contains(markup::lineBreakCode),
                 qPrintable(spoken));
        if (markup::isQuestion(entry) || markup::isAnswer(entry))
            QVERIFY2(spoken.startsWith(markup::isQuestion(entry) ? u"Question " : u"Answer: "),
                     qPrintable(spoken));
    }
    QCOMPARE(questions, 61);
    QCOMPARE(answers, 57);
    // No question marker with a capital Q, and no other backquote marker at an entry's start.
    QCOMPARE(questionsAnyCase, questions);
    QCOMPARE(markedEntries, questions + answers);
}

void TestAssignmentContent::headLines_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("headIndex");

    for (const AssignmentBlock &block : blocks)
        QTest::addRow("%03d", block.assignment) << threeDigits(block.assignment) << block.headIndex;
}

void TestAssignmentContent::headLines()
{
    QFETCH(QString, number);
    QFETCH(int, headIndex);

    const QString &head = store.entry(headIndex);
    for (const AssignmentBlock &block : blocks) {
        const QString other = threeDigits(block.assignment);
        QCOMPARE(markup::isHeadLineOf(head, other), other == number);
    }

    // Assignment start takes the first match: the head must be the only entry that matches.
    for (int index = 0; index <= LineStore::lastIndex; ++index) {
        if (index != headIndex)
            QVERIFY2(!markup::isHeadLineOf(store.entry(index), number),
                     qPrintable(QStringLiteral("entry %1 also matches").arg(index)));
    }
}

void TestAssignmentContent::answerForm_data()
{
    QTest::addColumn<int>("assignment");
    QTest::addColumn<int>("question");

    for (const AssignmentBlock &block : blocks) {
        for (int question = 1; question < block.questionCount; ++question)
            QTest::addRow("%d-%03d", block.assignment, question) << block.assignment << question;
    }
}

void TestAssignmentContent::answerForm()
{
    QFETCH(int, assignment);
    QFETCH(int, question);

    const int questionAt = questionIndex(store, assignment, question);
    QVERIFY2(questionAt > 0, "question entry not found");
    const QString &answer = store.entry(questionAt + 2);
    QVERIFY2(markup::isAnswer(answer), "no answer entry two entries after the question");

    const qsizetype bad = firstBadCharacter(answer);
    QVERIFY2(bad < 0,
             qPrintable(QStringLiteral("character %1 (U+%2) is not printable ASCII or "
                                       "part of a CR LF pair")
                            .arg(bad)
                            .arg(bad < 0 ? 0 : int(answer.at(bad).unicode()), 4, 16, QChar(u'0'))));

    const QString body = answer.mid(2);
    QVERIFY(!body.trimmed().isEmpty());
    QVERIFY2(!body.startsWith(u'\r') && !body.startsWith(u'\n'),
             "the worked answer begins with a line break");
    QVERIFY2(!body.endsWith(u'\r') && !body.endsWith(u'\n'),
             "the worked answer ends with a line break");

    // Paragraphs are separated by one blank line, CR LF CR LF. The only other line break is the
    // single CR LF that follows a line-break code.
    const QStringList paragraphs = body.split(QStringLiteral("\r\n\r\n"));
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        QString paragraph = paragraphs.at(i);
        QVERIFY2(!paragraph.trimmed().isEmpty(),
                 qPrintable(QStringLiteral("paragraph %1 is empty").arg(i + 1)));
        paragraph.replace(QStringLiteral("{}\r\n"), QStringLiteral("{}"));
        QVERIFY2(!paragraph.contains(u'\r') && !paragraph.contains(u'\n'),
                 qPrintable(QStringLiteral("paragraph %1 holds a line break other than a "
                                           "paragraph separator")
                                .arg(i + 1)));
    }
    const qsizetype breaksByCode = body.count(QStringLiteral("{}\r\n"));
    QVERIFY2(paragraphs.size() + breaksByCode <= 7,
             qPrintable(QStringLiteral("%1 paragraphs").arg(paragraphs.size() + breaksByCode)));
}

void TestAssignmentContent::lineBreakCodeOnlyInRadiusAnswer()
{
    const int questionAt = questionIndex(store, 1, 11);
    QVERIFY(questionAt > 0);
    const int answerAt = questionAt + 2;
    const QString &answer = store.entry(answerAt);
    QVERIFY(markup::isAnswer(answer));

    // One line-break code, followed by exactly one CR LF, before the approximation.
    QCOMPARE(answer.count(QStringLiteral("{}")), 1);
    const qsizetype code = answer.indexOf(QStringLiteral("{}\r\n"));
    QVERIFY2(code > 0, "the line-break code is not followed by CR LF");
    QVERIFY2(!answer.mid(code + 4).startsWith(crlf()),
             "the line-break code is followed by more than one CR LF");
    const qsizetype approximation = answer.indexOf(QStringLiteral("5.0 m"));
    QVERIFY2(approximation > code, "the approximation does not follow the line-break code");

    for (int index = 0; index <= LineStore::lastIndex; ++index) {
        if (index != answerAt)
            QVERIFY2(!store.entry(index).contains(QStringLiteral("{}")),
                     qPrintable(QStringLiteral("entry %1 holds a line-break code").arg(index)));
    }
}

void TestAssignmentContent::keyResults_data()
{
    QTest::addColumn<int>("assignment");
    QTest::addColumn<int>("question");
    QTest::addColumn<QString>("result");

    const auto row = [](int assignment, int question, const QString &result) {
        QTest::addRow("%d-%03d %s", assignment, question, qPrintable(result))
            << assignment << question << result;
    };

    row(1, 2, QStringLiteral("6.0 m^2"));
    row(1, 4, QStringLiteral("5.0 cm^2"));
    row(1, 5, QStringLiteral("20 km^2"));
    row(1, 6, QStringLiteral("22 cm^2"));
    row(1, 7, QStringLiteral("28.3 cm^2"));
    row(1, 8, QStringLiteral("18.84 cm"));
    row(1, 9, QStringLiteral("36 pi m^2"));
    row(1, 10, QStringLiteral("49 pi m^2"));

    row(2, 1, QStringLiteral("105 cm^3"));
    row(2, 2, QStringLiteral("96 m^3"));
    row(2, 3, QStringLiteral("800 m^3"));
    row(2, 4, QStringLiteral("750 pi cm^3"));
    row(2, 6, QStringLiteral("1000 cm^3"));
    row(2, 8, QStringLiteral("256/3 pi m^3"));
    row(2, 9, QStringLiteral("1,372,000,000,000"));

    row(3, 1, QStringLiteral("108 m^2"));
    row(3, 2, QStringLiteral("170 pi m^2"));
    row(3, 3, QStringLiteral("9 pi cm^2"));
    row(3, 4, QStringLiteral("10.3 m"));
    row(3, 6, QStringLiteral("2.08 grams / cm^3"));
    row(3, 7, QStringLiteral("256,000 pi kg"));
    row(3, 8, QStringLiteral("2.75 grams / cm^3"));
    row(3, 9, QStringLiteral("80,700 kg"));
    row(3, 10, QStringLiteral("21,930,000 kg"));

    row(4, 3, QStringLiteral("1,000,000 m^2"));
    row(4, 6, QStringLiteral("1,000,000 cm^3"));
    row(4, 8, QStringLiteral("10^12 kg"));
    row(4, 9, QStringLiteral("100 days"));
    row(4, 10, QStringLiteral("1,020,000,000 km^3"));
    row(4, 14, QStringLiteral("10^9 m^3"));
}

void TestAssignmentContent::keyResults()
{
    QFETCH(int, assignment);
    QFETCH(int, question);
    QFETCH(QString, result);

    const int questionAt = questionIndex(store, assignment, question);
    QVERIFY2(questionAt > 0, "question entry not found");
    const QString &answer = store.entry(questionAt + 2);
    QVERIFY2(markup::isAnswer(answer), "no answer entry two entries after the question");
    QVERIFY2(answer.contains(result), "the key result is missing from the worked answer");
}

QTEST_GUILESS_MAIN(TestAssignmentContent)
#include "tst_assignmentcontent.moc"
