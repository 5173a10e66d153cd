// SPDX-License-Identifier: MIT
#include "app/assignmentstart.h"
#include "app/boxtext.h"
#include "app/runsetup.h"
#include "bank/assignmentcontent.h"
#include "bank/linestore.h"
#include "platform/appendfile.h"
#include "platform/filenamerules.h"

#include <QTest>

#include <cerrno>
#include <cmath>
#include <limits>

namespace runsetup = app::runsetup;

class TestRunSetup : public QObject
{
    Q_OBJECT

private slots:
    void padding_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("padded");
        QTest::addColumn<QString>("next");

        QTest::newRow("1") << QStringLiteral("1") << QStringLiteral("001") << QStringLiteral("002");
        QTest::newRow("4") << QStringLiteral("4") << QStringLiteral("004") << QStringLiteral("005");
        QTest::newRow("7") << QStringLiteral("7") << QStringLiteral("007") << QStringLiteral("008");
        QTest::newRow("12") << QStringLiteral("12") << QStringLiteral("012")
                            << QStringLiteral("013");
        QTest::newRow("123") << QStringLiteral("123") << QStringLiteral("123")
                             << QStringLiteral("124");
        QTest::newRow("0004 keeps four digits")
            << QStringLiteral("0004") << QStringLiteral("0004") << QStringLiteral("005");
        QTest::newRow("0012") << QStringLiteral("0012") << QStringLiteral("0012")
                              << QStringLiteral("013");
        QTest::newRow("999 grows")
            << QStringLiteral("999") << QStringLiteral("999") << QStringLiteral("1000");
        QTest::newRow("letters") << QStringLiteral("ab") << QStringLiteral("0ab")
                                 << QStringLiteral("001");
        QTest::newRow("empty") << QString() << QString() << QStringLiteral("001");
        QTest::newRow("blank then 1")
            << QStringLiteral(" 1") << QStringLiteral("0 1") << QStringLiteral("002");
        QTest::newRow("1 then blank")
            << QStringLiteral("1 ") << QStringLiteral("01 ") << QStringLiteral("002");
        QTest::newRow("zero") << QStringLiteral("0") << QStringLiteral("000")
                              << QStringLiteral("001");
        // Padding comes first, and "0-1" reads as 0.
        QTest::newRow("minus one")
            << QStringLiteral("-1") << QStringLiteral("0-1") << QStringLiteral("001");
        QTest::newRow("minus one, three characters")
            << QStringLiteral("-01") << QStringLiteral("-01") << QStringLiteral("000");
        QTest::newRow("exponent is no number part")
            << QStringLiteral("1e3") << QStringLiteral("1e3") << QStringLiteral("002");
    }
    void padding()
    {
        QFETCH(QString, typed);
        QFETCH(QString, padded);
        QCOMPARE(runsetup::padAssignmentNumber(typed), padded);
        QTEST(runsetup::nextAssignmentNumber(padded), "next");
    }

    void folderChoice_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("asksForFolder");
        QTest::newRow("1") << QStringLiteral("1") << true;
        QTest::newRow("blank and 1") << QStringLiteral(" 1") << false;
        QTest::newRow("1 and blank") << QStringLiteral("1 ") << false;
        QTest::newRow("01") << QStringLiteral("01") << false;
        QTest::newRow("yes") << QStringLiteral("yes") << false;
        QTest::newRow("cancel") << QString() << false;
    }
    void folderChoice()
    {
        QFETCH(QString, choice);
        QTEST(runsetup::wantsOtherFolder(choice), "asksForFolder");
    }

    // The two folder prompts, word for word, naming Windows' default folder.
    void folderPromptsNameTheDefaultFolder()
    {
        const QString folder = QStringLiteral("c:\\tarnwick");
        QCOMPARE(runsetup::folderChoicePrompt(folder),
                 QStringLiteral("Enter 1 if you want to change the folder to which your files will "
                                "be written.  The current default folder is c:\\tarnwick.  If you "
                                "wish to use this folder, just hit the Enter key"));
        QCOMPARE(runsetup::newFolderPrompt(folder),
                 QStringLiteral("You have chosen to change the folder to which your files will be "
                                "written on your hard drive from the default c:\\tarnwick.  Enter "
                                "the path to the folder you wish to use.  You may just hit the "
                                "Enter key to retain the default path."));
    }

    void recordPaths_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QStringList>("paths");

        QTest::newRow("student on 3 March")
            << QStringLiteral("c:\\tarnwick") << QStringLiteral("Student Number One")
            << QStringLiteral("03-03-2026") << QChar(u'\\')
            << QStringList{QStringLiteral("c:\\tarnwick\\masterFile_Student_Number_One.txt"),
                           QStringLiteral("c:\\tarnwick\\send_0303Student_Number_One.txt"),
                           QStringLiteral("c:\\tarnwick\\notes_Student_Number_One.txt")};
        QTest::newRow("7 December, other folder")
            << QStringLiteral("d:\\work") << QStringLiteral("Student One")
            << QStringLiteral("12-07-2026") << QChar(u'\\')
            << QStringList{QStringLiteral("d:\\work\\masterFile_Student_One.txt"),
                           QStringLiteral("d:\\work\\send_1207Student_One.txt"),
                           QStringLiteral("d:\\work\\notes_Student_One.txt")};
        QTest::newRow("two blanks, trailing blank")
            << QStringLiteral("/home/s/tarnwick") << QStringLiteral("Ann  Lee ")
            << QStringLiteral("11-30-2026") << QChar(u'/')
            << QStringList{QStringLiteral("/home/s/tarnwick/masterFile_Ann__Lee_.txt"),
                           QStringLiteral("/home/s/tarnwick/send_1130Ann__Lee_.txt"),
                           QStringLiteral("/home/s/tarnwick/notes_Ann__Lee_.txt")};
        QTest::newRow("empty name") << QStringLiteral("c:\\tarnwick") << QString()
                                    << QStringLiteral("01-09-2027") << QChar(u'\\')
                                    << QStringList{QStringLiteral("c:\\tarnwick\\masterFile_.txt"),
                                                   QStringLiteral("c:\\tarnwick\\send_0109.txt"),
                                                   QStringLiteral("c:\\tarnwick\\notes_.txt")};
        QTest::newRow("trailing separator doubles")
            << QStringLiteral("d:\\work\\") << QStringLiteral("A") << QStringLiteral("05-06-2026")
            << QChar(u'\\')
            << QStringList{QStringLiteral("d:\\work\\\\masterFile_A.txt"),
                           QStringLiteral("d:\\work\\\\send_0506A.txt"),
                           QStringLiteral("d:\\work\\\\notes_A.txt")};
    }
    void recordPaths()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, date);
        QFETCH(QChar, separator);
        QFETCH(QStringList, paths);
        const auto built = runsetup::recordPaths(folder, name, date, separator);
        QCOMPARE((QStringList{built.masterFileName, built.sendFileName, built.notesFileName}),
                 paths);
    }

    void pathsMoveToAnotherFolder()
    {
        const auto paths = runsetup::recordPaths(QStringLiteral("/missing"), QStringLiteral("A B"),
                                                 QStringLiteral("03-03-2026"), u'/');
        const auto moved = runsetup::inOtherFolder(paths, QStringLiteral("/missing"),
                                                   QStringLiteral("/home/ann/my files"));
        QCOMPARE(moved.masterFileName, QStringLiteral("/home/ann/my files/masterFile_A_B.txt"));
        QCOMPARE(moved.sendFileName, QStringLiteral("/home/ann/my files/send_0303A_B.txt"));
        QCOMPARE(moved.notesFileName, QStringLiteral("/home/ann/my files/notes_A_B.txt"));
    }

    void codeNumberFromDraw_data()
    {
        QTest::addColumn<float>("draw");
        QTest::addColumn<float>("codeNumber");
        QTest::newRow("zero") << 0.0f << 19.0f;
        QTest::newRow("tenth") << 0.1f << 20.0f;
        QTest::newRow("half") << 0.5f << 24.0f;
        // In single precision 10 * r + 19 rounds up to 29 for this draw.
        QTest::newRow("largest below one") << std::nextafter(1.0f, 0.0f) << 28.0f;
    }
    void codeNumberFromDraw()
    {
        QFETCH(float, draw);
        QTEST(runsetup::codeNumberFromDraw(draw), "codeNumber");
    }

    void codeNumberCoversNineteenToTwentyEight()
    {
        QList<int> seen(30, 0);
        for (int step = 0; step < 100000; ++step) {
            const float r = float(step) / 100000.0f;
            const float n = runsetup::codeNumberFromDraw(r);
            QVERIFY2(n >= 19.0f && n <= 28.0f, qPrintable(QString::number(r)));
            QCOMPARE(n, std::floor(n));
            ++seen[int(n)];
        }
        // Evenly spread draws give each number its tenth, give or take the boundaries.
        for (int n = 19; n <= 28; ++n)
            QVERIFY2(std::abs(seen[n] - 10000) <= 1, qPrintable(QString::number(n)));
    }

    void nameProblems_data()
    {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("problem"); // "" when the folder is to blame, or nothing failed

        const QString tooLong = platform::systemReason(ENAMETOOLONG);
        const QString missing = platform::systemReason(ENOENT);
        const QString denied = platform::systemReason(EACCES);
        QTest::newRow("plain name") << false << QStringLiteral("Ann Lee") << QString() << QString();
        QTest::newRow("slash") << false << QStringLiteral("Ann/Lee") << missing
                               << QStringLiteral("A file name cannot hold \"/\".");
        QTest::newRow("slash before any attempt")
            << false << QStringLiteral("../Ann") << QString()
            << QStringLiteral("A file name cannot hold \"/\".");
        QTest::newRow("colon is fine here")
            << false << QStringLiteral("Ann: Lee") << QString() << QString();
        QTest::newRow("name too long") << false << QString(241, u'n') << tooLong
                                       << QStringLiteral("The system says: ") + tooLong + u'.';
        QTest::newRow("too long, but a short name: the folder's")
            << false << QStringLiteral("Ann") << tooLong << QString();
        QTest::newRow("missing folder") << false << QStringLiteral("Ann") << missing << QString();
        QTest::newRow("folder refused") << false << QStringLiteral("Ann") << denied << QString();
        QTest::newRow("windows colon") << true << QStringLiteral("C:Ann") << QString()
                                       << QStringLiteral("A file name cannot hold \":\".");
        QTest::newRow("windows each character once")
            << true << QStringLiteral("a*b?c*<d>|e\"f\\g/h") << QString()
            << QStringLiteral("A file name cannot hold \"*\", \"?\", \"<\", \">\", \"|\", "
                              "\"\"\", \"\\\", \"/\".");
        QTest::newRow("windows control character")
            << true << QStringLiteral("Ann\tLee") << QString()
            << QStringLiteral("A file name cannot hold U+0009.");
        QTest::newRow("windows plain name")
            << true << QStringLiteral("Ann Lee-Smith (2)") << QString() << QString();
        // "masterFile_" + name + ".txt" is the longest of the three names.
        QTest::newRow("windows name of 255 characters")
            << true << QString(240, u'n') << QString() << QString();
        QTest::newRow("windows two-byte letters count once")
            << true << QString(240, QChar(0xE4)) << QString() << QString();
        QTest::newRow("windows name of 256 characters, before any attempt")
            << true << QString(241, u'n') << QString()
            << QStringLiteral("File name too long: your record files' names would have 256 "
                              "characters, and a file name can have at most 255.");
        // Windows says "invalid name" and "name too long" for any part of the path: with the
        // name's own characters and length in order, the folder is to blame.
        QTest::newRow("windows invalid name from the folder")
            << true << QStringLiteral("Ann")
            << QStringLiteral("The filename, directory name, or volume label syntax is incorrect")
            << QString();
        QTest::newRow("windows name too long from the folder")
            << true << QStringLiteral("Ann")
            << QStringLiteral("The filename or extension is too long") << QString();
        QTest::newRow("windows blanks count as the underscores they become")
            << true << QStringLiteral("Kim Doe ").repeated(31) << QStringLiteral("File not found")
            << QStringLiteral("File name too long: your record files' names would have 263 "
                              "characters, and a file name can have at most 255.");
    }
    void nameProblems()
    {
        QFETCH(bool, windows);
        QFETCH(QString, name);
        QFETCH(QString, reason);
        const platform::FileNameRules rules =
            windows ? platform::windowsFileNameRules() : platform::unixFileNameRules();
        QTEST(runsetup::nameProblem(name, reason, rules), "problem");
    }

    void typedFolders_data()
    {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("folder");
        const QString quoted = QStringLiteral("\"C:\\tarnwick\"");
        QTest::newRow("windows quoted") << true << quoted << QStringLiteral("C:\\tarnwick");
        QTest::newRow("windows plain")
            << true << QStringLiteral("C:\\a b") << QStringLiteral("C:\\a b");
        QTest::newRow("windows one pair only")
            << true << QStringLiteral("\"\"C:\\x\"\"") << QStringLiteral("\"C:\\x\"");
        QTest::newRow("windows quote at one end")
            << true << QStringLiteral("\"C:\\x") << QStringLiteral("\"C:\\x");
        QTest::newRow("windows lone quote") << true << QStringLiteral("\"") << QStringLiteral("\"");
        QTest::newRow("windows empty quotes") << true << QStringLiteral("\"\"") << QString();
        QTest::newRow("quotes are a folder's own here")
            << false << QStringLiteral("\"/tmp/x\"") << QStringLiteral("\"/tmp/x\"");
    }
    void typedFolders()
    {
        QFETCH(bool, windows);
        QFETCH(QString, typed);
        const platform::FileNameRules rules =
            windows ? platform::windowsFileNameRules() : platform::unixFileNameRules();
        QTEST(runsetup::typedFolder(typed, rules), "folder");
    }

    void nameMessageShowsTheStartOfALongName()
    {
        const QString message = runsetup::unusableNameMessage(
            QString(60, u'n') + QString(4940, u'x'), QStringLiteral("Too long."));
        QVERIFY(message.contains(QString(60, u'n') + QStringLiteral("... (5000 characters)")));
        QVERIFY(!message.contains(u'x'));
        QVERIFY(message.contains(QStringLiteral("cannot be used in a file name")));
        QVERIFY(message.contains(QStringLiteral("Too long.")));
    }

    void promptTexts()
    {
        QCOMPARE(runsetup::namePrompt(), QStringLiteral("Your full name:  "));
        QCOMPARE(runsetup::assignmentPrompt(), QStringLiteral("Assignment Number:  "));
        QCOMPARE(runsetup::folderChoicePrompt(QStringLiteral("c:\\tarnwick")),
                 QStringLiteral("Enter 1 if you want to change the folder to which your files "
                                "will be written.  The current default folder is c:\\tarnwick.  "
                                "If you wish to use this folder, just hit the Enter key"));
        QCOMPARE(runsetup::newFolderPrompt(QStringLiteral("c:\\tarnwick")),
                 QStringLiteral("You have chosen to change the folder to which your files will "
                                "be written on your hard drive from the default c:\\tarnwick.  "
                                "Enter the path to the folder you wish to use.  You may just hit "
                                "the Enter key to retain the default path."));
    }

    void instructions()
    {
        const QString text = runsetup::instructionsText();
        const QStringList paragraphs = text.split(QStringLiteral("\r\n\r\n"));
        QCOMPARE(paragraphs.size(), 2);
        QVERIFY(paragraphs[0].startsWith(QStringLiteral("Enter, as appropriate, an answer")));
        QVERIFY(paragraphs[0].endsWith(QStringLiteral("notes to yourself, or just an OK.")));
        QVERIFY(paragraphs[1].contains(QStringLiteral("errors you makde, and by")));
        QVERIFY(paragraphs[1].contains(QStringLiteral("avoid certain errors.  Also pose")));
        QVERIFY(paragraphs[1].endsWith(QStringLiteral("problem or series of problems.")));
        QVERIFY(!text.contains(u'\n' + QString(u'\n')));
        QCOMPARE(text.count(u'\r'), 2);
    }

    void headSearch_data()
    {
        QTest::addColumn<QString>("assignmentNumber");
        QTest::addColumn<int>("head");
        QTest::newRow("001") << QStringLiteral("001") << 1;
        QTest::newRow("002") << QStringLiteral("002") << 75;
        QTest::newRow("003") << QStringLiteral("003") << 129;
        QTest::newRow("004") << QStringLiteral("004") << 191;
        QTest::newRow("0001 matches nothing") << QStringLiteral("0001") << 0;
        QTest::newRow("padded 1 and blank") << QStringLiteral("01 ") << 0;
        QTest::newRow("005") << QStringLiteral("005") << 0;
        QTest::newRow("empty") << QString() << 0;
    }
    void headSearch()
    {
        QFETCH(QString, assignmentNumber);
        QFETCH(int, head);
        bank::LineStore store;
        store.fill(bank::assignmentContent());
        QCOMPARE(app::assignmentstart::findHeadLine(store, assignmentNumber), head);
        QCOMPARE(store.bankLineCount, head);
    }

    void headSearchStopsAtTheLastEntry()
    {
        bank::LineStore store;
        QStringList content(bank::LineStore::lastIndex, QString());
        content.last() = QStringLiteral("009.  Last");
        store.fill(content);
        QCOMPARE(app::assignmentstart::findHeadLine(store, QStringLiteral("009")), 5000);
        QCOMPARE(app::assignmentstart::findHeadLine(store, QStringLiteral("010")), 0);
    }

    void headLinesListTheAssignments()
    {
        bank::LineStore store;
        store.fill(bank::assignmentContent());
        const QStringList heads = app::assignmentstart::headLines(store);
        QCOMPARE(heads.size(), 4);
        QCOMPARE(heads.first(), QStringLiteral("001.  Areas"));
        QCOMPARE(heads.last(), QStringLiteral("004.  Units of volume measure"));
        const QString message = runsetup::unknownAssignmentMessage(QStringLiteral("0001"), heads);
        for (const QString &head : heads)
            QVERIFY(message.contains(head));
        QVERIFY(message.contains(QStringLiteral("0001")));
    }

    void boxTextConversion_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("line feed") << QStringLiteral("a\nb") << QStringLiteral("a\r\nb");
        QTest::newRow("paragraph separator")
            << QStringLiteral("a\u2029b") << QStringLiteral("a\r\nb");
        QTest::newRow("line separator") << QStringLiteral("a\u2028b") << QStringLiteral("a\r\nb");
        QTest::newRow("blank line") << QStringLiteral("a\n\nb") << QStringLiteral("a\r\n\r\nb");
        QTest::newRow("no break") << QStringLiteral(" ") << QStringLiteral(" ");
    }
    void boxTextConversion()
    {
        QFETCH(QString, raw);
        QFETCH(QString, text);
        QCOMPARE(app::boxtext::typed(raw), text);
        QCOMPARE(app::boxtext::typed(app::boxtext::shown(text)), text);
    }

    void instructionsSurviveTheBox()
    {
        const QString instructions = runsetup::instructionsText();
        QCOMPARE(app::boxtext::typed(app::boxtext::shown(instructions)), instructions);
    }
};

QTEST_GUILESS_MAIN(TestRunSetup)
#include "tst_runsetup.moc"
