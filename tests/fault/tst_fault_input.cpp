// SPDX-License-Identifier: MIT
// Hostile input through the real widgets: a 10 MB paste, control characters, characters the
// record files cannot store, a name too long for a file name, a folder with blanks and
// non-ASCII letters, and assignment numbers that name no assignment.
#include "app/runsetup.h"
#include "platform/filenamerules.h"
#include "recordreader.h"
#include "session.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString studentName = QStringLiteral("Kim Doe");
const QByteArray crlf("\r\n");

// Pastes `text` over whatever the answer box holds, as a student would with Ctrl+A, Ctrl+V.
void paste(const Session &run, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(run.window->txt_answer, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(run.window->txt_answer, Qt::Key_V, Qt::ControlModifier);
}

// What a response record holds from its response head to its closing rule.
QByteArray responseBody(const QByteArray &response, const QByteArray &rating)
{
    return recordreader::responseHead + crlf + response + crlf +
           QByteArray("confidence assessment:  ") + rating;
}

// The files of a run parse as whole records, and their last record's body is `body`.
QString lastRecordIs(const app::RunFields &fields, const QByteArray &body)
{
    const QList<std::pair<QString, recordreader::FileKind>> files{
        {fields.masterFileName, recordreader::FileKind::Master},
        {fields.sendFileName, recordreader::FileKind::Send}};
    for (const auto &[path, kind] : files) {
        const auto parsed = recordreader::parse(fileBytes(path), kind);
        if (!parsed.error.isEmpty())
            return path + QStringLiteral(": ") + parsed.error;
        if (parsed.records.isEmpty() || parsed.records.last().body != body)
            return path + QStringLiteral(": the last record is not the one entered");
    }
    return {};
}

QByteArray bytes(std::initializer_list<int> codes)
{
    QByteArray result;
    for (const int code : codes)
        result.append(char(code));
    return result;
}

QString text(std::initializer_list<char16_t> units)
{
    QString result;
    for (const char16_t unit : units)
        result.append(QChar(unit));
    return result;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class TestFaultInput : public QObject
{
    Q_OBJECT

private slots:
    // A whole 10 MB response, pasted at once, reaches both files byte for byte.
    void tenMegabytePaste()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Session run(dir.path(), {studentName, QString(), QStringLiteral("1"), QStringLiteral("2")});
        QVERIFY(run.started);
        run.window->cmdNextQuestion->click();

        // 100,000 lines of 100 characters, with letters that take the code page's high bytes.
        QString response;
        QByteArray expected;
        response.reserve(10'100'000);
        expected.reserve(10'200'000);
        for (int line = 0; line < 100'000; ++line) {
            if (line > 0) {
                response += u'\n';
                expected += crlf;
            }
            const QByteArray head = QByteArray::number(line).rightJustified(6, '0');
            response += QString::fromLatin1(head) + QStringLiteral(" caf") + QChar(0xE9) +
                        QStringLiteral(" 5 ") + QChar(0x20AC) + u' ' + QString(84, u'x');
            expected += head + QByteArray(" caf\xE9 5 \x80 ") + QByteArray(84, 'x');
        }
        QCOMPARE(response.size(), 100'000 * 101 - 1);
        paste(run, response);
        QCOMPARE(run.window->txt_answer->document()->blockCount(), 100'000);
        run.window->cmd_enter_response->click();

        QVERIFY2(run.platform.messagesShown.isEmpty(),
                 qPrintable(run.platform.messagesShown.value(0)));
        QCOMPARE(run.answer(), QString());
        QCOMPARE(lastRecordIs(run.window->runFields(), responseBody(expected, "2")), QString());
    }

    // What the answer box holds is recorded as it is; only its line breaks become CR LF.
    void controlCharacters_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("recorded");

        QTest::newRow("NUL") << text({u'a', 0, u'b'}) << bytes({'a', 0, 'b'});
        QTest::newRow("tabs") << QStringLiteral("\ta\t\tb\t") << QByteArray("\ta\t\tb\t");
        QTest::newRow("lone LF") << QStringLiteral("a\nb") << QByteArray("a\r\nb");
        QTest::newRow("CR LF") << QStringLiteral("a\r\nb") << QByteArray("a\r\nb");
        // The answer box never keeps a CR: QTextDocument starts a new paragraph at a lone CR
        // as at LF, and the box reads back "\n" there. The program writes that as CR LF, so
        // the CR typed is still in the file and only an LF is added: nothing is lost or
        // replaced.
        QTest::newRow("lone CR") << QStringLiteral("a\rb") << QByteArray("a\r\nb");
        QTest::newRow("CR at the end") << QStringLiteral("a\r") << QByteArray("a\r\n");
        QTest::newRow("empty lines")
            << QStringLiteral("\n\na\n\n") << QByteArray("\r\n\r\na\r\n\r\n");
        QTest::newRow("other C0 controls and DEL")
            << text({1,  2,  3,  4,  5,  6,  7,  8,  11, 12, 14, 15, 16, 17, 18,
                     19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 127})
            << bytes({1,  2,  3,  4,  5,  6,  7,  8,  11, 12, 14, 15, 16, 17, 18,
                      19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 127});
        // The five C1 controls that stand for the code page's undefined bytes.
        QTest::newRow("C1 controls of the undefined bytes")
            << text({0x81, 0x8D, 0x8F, 0x90, 0x9D}) << bytes({0x81, 0x8D, 0x8F, 0x90, 0x9D});
        QTest::newRow("high bytes")
            << text({0x20AC, 0x201C, 0x201D, 0xA0, 0xFF}) << bytes({0x80, 0x93, 0x94, 0xA0, 0xFF});
    }
    void controlCharacters()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, recorded);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Session run(dir.path(), {studentName, QString(), QStringLiteral("1"), QStringLiteral("1")});
        QVERIFY(run.started);
        run.window->cmdNextQuestion->click();
        paste(run, typed);
        run.window->cmd_enter_response->click();
        QVERIFY2(run.platform.messagesShown.isEmpty(),
                 qPrintable(run.platform.messagesShown.value(0)));
        QCOMPARE(lastRecordIs(run.window->runFields(), responseBody(recorded, "1")), QString());
    }

    // Characters the code page cannot store are refused before anything is written: the
    // message names them, every file keeps its bytes and the typed text stays.
    void unstorableCharacters_data()
    {
        QTest::addColumn<QString>("response");
        QTest::addColumn<QString>("rating");
        QTest::addColumn<bool>("asNotes");
        QTest::addColumn<QStringList>("named");

        const QString pi = text({0x03C0});
        const QString arrow = text({0x2192});
        const QString emoji = QString::fromUcs4(U"\U0001F600");
        QTest::newRow("pi in a response") << (QStringLiteral("A = ") + pi + QStringLiteral(" r^2"))
                                          << QStringLiteral("2") << false << QStringList{pi};
        QTest::newRow("arrow in a response")
            << (QStringLiteral("a ") + arrow + QStringLiteral(" b")) << QStringLiteral("2") << false
            << QStringList{arrow};
        QTest::newRow("emoji in a response") << (QStringLiteral("done ") + emoji)
                                             << QStringLiteral("2") << false << QStringList{emoji};
        QTest::newRow("all three in a note")
            << (pi + arrow + emoji) << QString() << true << QStringList{pi, arrow, emoji};
    }
    void unstorableCharacters()
    {
        QFETCH(QString, response);
        QFETCH(QString, rating);
        QFETCH(bool, asNotes);
        QFETCH(QStringList, named);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Session run(dir.path(), {studentName, QString(), QStringLiteral("1"), rating});
        QVERIFY(run.started);
        run.window->cmdNextQuestion->click();
        const app::RunFields &fields = run.window->runFields();
        const QByteArray master = fileBytes(fields.masterFileName);
        const QByteArray send = fileBytes(fields.sendFileName);

        paste(run, response);
        (asNotes ? run.window->cmd_save_as_notes : run.window->cmd_enter_response)->click();

        QCOMPARE(run.platform.messagesShown.size(), 1);
        const QString message = run.platform.messagesShown.first();
        for (const QString &character : named)
            QVERIFY2(message.contains(character), qPrintable(message));
        QCOMPARE(fileBytes(fields.masterFileName), master);
        QCOMPARE(fileBytes(fields.sendFileName), send);
        QVERIFY(!QFile::exists(fields.notesFileName));
        QCOMPARE(run.answer(), response);
        QVERIFY(!run.window->hasEnded());
    }

    // On Linux a file name holds at most 255 bytes, on Windows 255 UTF-16 units. Start-up says
    // that the name cannot be used in a file name and why, asks for the name again, and on
    // Cancel ends in order, having written nothing.
    void longName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("startsCountingBytes");
        QTest::addColumn<bool>("startsCountingUnits");
        // "masterFile_" + name + ".txt" is the longest of the three file names.
        QTest::newRow("5,000 letters") << QString(5000, u'n') << false << false;
        QTest::newRow("240 letters: a 255-byte file name") << QString(240, u'n') << true << true;
        QTest::newRow("241 letters: a 256-byte file name") << QString(241, u'n') << false << false;
        QTest::newRow("120 two-byte letters") << QString(120, QChar(0xE4)) << true << true;
        QTest::newRow("121 two-byte letters") << QString(121, QChar(0xE4)) << false << true;
        QTest::newRow("241 two-byte letters") << QString(241, QChar(0xE4)) << false << false;
        QTest::newRow("5,000 letters with blanks")
            << QStringLiteral("Kim Doe ").repeated(625) << false << false;
    }
    void longName()
    {
        QFETCH(QString, name);
        // Windows' rules know the length a name may have; Linux's leave it to the file system.
        QFETCH(bool, startsCountingBytes);
        QFETCH(bool, startsCountingUnits);
        const bool starts =
            platform::fileNameRules().maxNameLength > 0 ? startsCountingUnits : startsCountingBytes;
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (starts && startsCountingUnits != startsCountingBytes) {
            QTemporaryDir probeDir;
            QFile probe(
                probeDir.filePath(QStringLiteral("masterFile_") + name + QStringLiteral(".txt")));
            if (!probe.open(QIODevice::WriteOnly))
                QSKIP("This Windows keeps its files on a file system that counts bytes (Wine on "
                      "a Linux file system), so the name fits Windows but not the disk.");
        }
        // When asked for the name again, the student cancels.
        Session run(dir.path(), {name, QString(), QStringLiteral("1")});
        QCOMPARE(run.started, starts);
        if (starts) {
            QVERIFY(run.platform.messagesShown.isEmpty());
            const QString namePiece = QString(name).replace(u' ', u'_');
            QCOMPARE(
                filesIn(dir.path()),
                (QStringList{QStringLiteral("masterFile_") + namePiece + QStringLiteral(".txt"),
                             QStringLiteral("send_0303") + namePiece + QStringLiteral(".txt")}));
            QCOMPARE(recordreader::parse(fileBytes(run.window->runFields().masterFileName),
                                         recordreader::FileKind::Master)
                         .count(recordreader::Record::Kind::Opening),
                     1);
            return;
        }
        // Once; then Cancel at the name prompt ends the program.
        QCOMPARE(run.platform.messagesShown.size(), 1);
        const QString message = run.platform.messagesShown.first();
        QVERIFY2(message.contains(QStringLiteral("cannot be used in a file name")) &&
                     message.contains(QStringLiteral("File name too long")),
                 qPrintable(message.right(300)));
        QCOMPARE(run.platform.promptsShown.count(app::runsetup::namePrompt()), 2);
        QCOMPARE(run.platform.promptsShown.count(app::runsetup::otherFolderPrompt()), 0);
        QVERIFY(run.window->hasEnded());
        QVERIFY(run.platform.exitRequested);
        QCOMPARE(filesIn(dir.path()), QStringList());
    }

    // A folder with blanks and non-ASCII letters, and such a name, work end to end.
    void unicodeFolder_data()
    {
        QTest::addColumn<bool>("typedFolder");
        QTest::newRow("typed at the folder prompt") << true;
        QTest::newRow("as the default folder") << false;
    }
    void unicodeFolder()
    {
        QFETCH(bool, typedFolder);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString parent = dir.filePath(QString::fromUtf8("Ünïcödé folder"));
        const QString folder = parent + QString::fromUtf8("/ä b");
        QVERIFY(QDir().mkdir(parent));
        if (typedFolder)
            QVERIFY(QDir().mkdir(folder));
        const QString name = QString::fromUtf8("Zoë Ünal");
        const QStringList answers =
            typedFolder ? QStringList{name, QStringLiteral("1"), folder, QStringLiteral("1")}
                        : QStringList{name, QString(), QStringLiteral("1")};
        Session run(typedFolder ? dir.path() : folder, answers);
        QVERIFY(run.started);
        run.platform.answers.enqueue(QStringLiteral("3"));
        QCOMPARE(run.window->runFields().outputFolder, folder);

        run.window->cmdNextQuestion->click();
        paste(run, QString::fromUtf8("Größe: 12 m²"));
        run.window->cmd_enter_response->click();
        paste(run, QString::fromUtf8("Notiz für später"));
        run.window->cmd_save_as_notes->click();
        run.window->cmd_display_note_file->click();
        run.window->cmd_displayCumulativeText->click();
        QVERIFY2(run.platform.messagesShown.isEmpty(),
                 qPrintable(run.platform.messagesShown.value(0)));

        QCOMPARE(filesIn(folder), (QStringList{QString::fromUtf8("masterFile_Zoë_Ünal.txt"),
                                               QString::fromUtf8("notes_Zoë_Ünal.txt"),
                                               QString::fromUtf8("send_0303Zoë_Ünal.txt")}));
        const app::RunFields &fields = run.window->runFields();
        const QByteArray response("Gr\xF6\xDF"
                                  "e: 12 m\xB2");
        const QByteArray note("NOTES -------> Notiz f\xFC"
                              "r sp\xE4ter");
        const QList<std::pair<QString, recordreader::FileKind>> files{
            {fields.masterFileName, recordreader::FileKind::Master},
            {fields.sendFileName, recordreader::FileKind::Send},
            {fields.notesFileName, recordreader::FileKind::Notes}};
        for (const auto &[path, kind] : files) {
            const auto parsed = recordreader::parse(fileBytes(path), kind);
            QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
            QCOMPARE(parsed.records.last().body, note);
            if (kind != recordreader::FileKind::Notes)
                QCOMPARE(parsed.records.value(1).body, responseBody(response, "3"));
        }
        // Both viewers read the files back from the same folder.
        QVERIFY(run.question().contains(QString::fromUtf8("Notiz für später")));
        QVERIFY(run.question().contains(QString::fromUtf8("Größe: 12 m²")));
    }

    // A folder the system refuses as a path is the folder's fault, whatever the system calls
    // it: one message, then the folder prompt, where a folder in quotes (as Windows' "Copy as
    // path" gives it) works on Windows.
    void refusedFolders_data()
    {
        QTest::addColumn<QString>("refused"); // typed first, below the test folder; "": none
        QTest::addColumn<bool>("quoted");     // the usable folder is typed in quotes
        QTest::newRow("quoted folder") << QString() << true;
        QTest::newRow("question mark, then quoted") << QStringLiteral("a?b") << true;
        QTest::newRow("a part of 256 characters") << QString(256, u'p') << false;
    }
    void refusedFolders()
    {
        QFETCH(QString, refused);
        QFETCH(bool, quoted);
        if (!platform::fileNameRules().refuses(u'"') && (quoted || refused.contains(u'?')))
            QSKIP("Quotes and question marks can be part of a folder's name here.");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("good"));
        QVERIFY(QDir().mkdir(folder));
        const QString native = QDir::toNativeSeparators(folder);
        const QString good = quoted ? u'"' + native + u'"' : native;
        // The folder is tried once the assignment is known.
        QStringList answers{studentName, QStringLiteral("1")};
        if (refused.isEmpty())
            answers << good << QStringLiteral("1");
        else
            answers << QDir::toNativeSeparators(dir.filePath(refused)) << QStringLiteral("1")
                    << good;
        Session run(dir.path(), answers);
        QVERIFY(run.started);

        QCOMPARE(run.platform.messagesShown.size(), refused.isEmpty() ? 0 : 1);
        if (!refused.isEmpty()) {
            const QString message = run.platform.messagesShown.first();
            QVERIFY2(message.startsWith(QStringLiteral("Your record files cannot be created in "
                                                       "the folder")),
                     qPrintable(message.left(300)));
            QVERIFY2(!message.contains(QStringLiteral("..")), qPrintable(message.right(300)));
        }
        QCOMPARE(run.platform.promptsShown.count(app::runsetup::otherFolderPrompt()),
                 refused.isEmpty() ? 0 : 1);
        QCOMPARE(run.platform.promptsShown.count(app::runsetup::namePrompt()), 1);
        QCOMPARE(QDir::fromNativeSeparators(run.window->runFields().outputFolder), folder);
        QCOMPARE(filesIn(folder), (QStringList{QStringLiteral("masterFile_Kim_Doe.txt"),
                                               QStringLiteral("send_0303Kim_Doe.txt")}));
    }

    // An assignment number that names no assignment: a message naming the assignments, the
    // prompt again, and with "1" the run starts at the first head line.
    void unknownAssignmentNumbers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown"); // as padded at set-up
        QTest::newRow("0") << QStringLiteral("0") << QStringLiteral("000");
        QTest::newRow("999") << QStringLiteral("999") << QStringLiteral("999");
        QTest::newRow("-1") << QStringLiteral("-1") << QStringLiteral("0-1");
        QTest::newRow("1e3") << QStringLiteral("1e3") << QStringLiteral("1e3");
        QTest::newRow("blank and 1") << QStringLiteral(" 1") << QStringLiteral("0 1");
    }
    void unknownAssignmentNumbers()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Session run(dir.path(), {studentName, QString(), typed, QStringLiteral("1")});
        QVERIFY(run.started);
        QCOMPARE(run.platform.messagesShown.size(), 1);
        const QString message = run.platform.messagesShown.first();
        QVERIFY2(message.contains(u'"' + shown + u'"'), qPrintable(message));
        for (const char *head :
             {"001.  Areas", "002.  Volumes", "003.  Misc", "004.  Units of volume measure"})
            QVERIFY2(message.contains(QString::fromLatin1(head)), qPrintable(message));
        QCOMPARE(run.platform.promptsShown.count(app::runsetup::assignmentPrompt()), 2);
        QCOMPARE(run.platform.promptsShown.last(), app::runsetup::assignmentPrompt());

        const app::RunFields &fields = run.window->runFields();
        QCOMPARE(fields.assignmentNumber, QStringLiteral("001"));
        QCOMPARE(fields.nextAssignmentNumber, QStringLiteral("002"));
        QCOMPARE(run.window->lineStore().bankLineCount, 1);
        const auto master =
            recordreader::parse(fileBytes(fields.masterFileName), recordreader::FileKind::Master);
        QVERIFY2(master.error.isEmpty(), qPrintable(master.error));
        QCOMPARE(master.records.size(), 1);
        QCOMPARE(master.records.first().lines.value(1), QByteArray("assignment #001"));
        QCOMPARE(master.records.first().lines.value(2), QByteArray("001.  Areas"));

        run.window->cmdNextQuestion->click();
        QCOMPARE(run.window->reader().questionNumber, QStringLiteral("1"));
        QVERIFY(!run.window->hasEnded());
    }
};

QTEST_MAIN(TestFaultInput)
#include "tst_fault_input.moc"
