// SPDX-License-Identifier: MIT
#include "bank/assignmentcontent.h"
#include "parsedfile.h"
#include "records/codepage.h"
#include "records/recordcomposition.h"
#include "records/recordfiles.h"
#include "report/orderedwork.h"
#include "report/textstore.h"
#include "walkedrun.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <limits>
#include <thread>

using report::LineSource;
using report::Record;
using report::RecordKind;

namespace {

const QString sendName = QStringLiteral("send_0303Sam_Student.txt");
const QString masterName = QStringLiteral("masterFile_Sam_Student.txt");

QByteArray cp1252(const QString &text)
{
    return records::codepage::encode(text).value();
}

// A code line of 22 key characters; none of its bytes can start a UTF-8 sequence.
QString codeLine(int keys = 22)
{
    QString line;
    for (int i = 0; i < keys; ++i)
        line += records::codepage::characterOf(255 - i % 8);
    return line;
}

QByteArray block(const QString &code = codeLine(),
                 const QString &date = QStringLiteral("03-03-2026"),
                 const QString &assignment = QStringLiteral("001"))
{
    return cp1252(records::openingBlock(code, records::assignmentLine(assignment),
                                        QStringLiteral("001.  Areas"), QStringLiteral("bexlorin"),
                                        date));
}

const QString firstQuestion = QStringLiteral(
    "`q001.  There are 11 questions and 7 summary questions in this assignment.   \r\n\r\n"
    "What is the area of a rectangle whose dimensions are 4 m by 3 meters.");

QByteArray response(const QString &entry = firstQuestion,
                    const QString &text = QStringLiteral("12 m^2"),
                    const QString &rating = QStringLiteral("2"),
                    records::Rating kind = records::Rating::Confidence)
{
    return cp1252(records::responseRecord(records::RecordFile::Send, QStringLiteral("09:05:30"),
                                          10001, {entry, text}, kind, rating));
}

QString firstAnswer()
{
    return bank::assignmentContent().filter(QStringLiteral("`a")).first().mid(2);
}

QByteArray closingRuleBytes()
{
    return records::fixedtext::closingRule.toLatin1();
}

QString describe(const QList<report::Problem> &problems)
{
    QStringList lines;
    for (const report::Problem &problem : problems)
        lines.append(QStringLiteral("%1: %2").arg(problem.line).arg(problem.text));
    return lines.join(u'\n');
}

QByteArray fileBytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void compareRecords(const QList<Record> &found, const QList<Record> &expected, bool fromFile)
{
    QCOMPARE(found.size(), expected.size());
    for (qsizetype i = 0; i < found.size(); ++i) {
        const Record &got = found[i];
        const Record &want = expected[i];
        const QByteArray where = "record " + QByteArray::number(i + 1);
        QVERIFY2(got.kind == want.kind, where);
        QVERIFY2(got.complete, where);
        QCOMPARE(got.assignment, want.assignment);
        QCOMPARE(got.question, want.question);
        QCOMPARE(got.response, want.response);
        QCOMPARE(got.hasRatingLine, want.hasRatingLine);
        QCOMPARE(got.ratingTyped, want.ratingTyped);
        QCOMPARE(got.rating, want.rating);
        QCOMPARE(got.questionFromFile, fromFile && want.kind != RecordKind::Note);
        QVERIFY2(!got.time.isEmpty(), where);
        QCOMPARE(got.dateAndTime.isEmpty(), want.kind != RecordKind::Note);
    }
}

// A file made while it is read: an opening block and then the same record again and again,
// so that what the reader has taken from it can be compared with what it has handed on.
class GrowingFile : public QIODevice
{
public:
    GrowingFile(QByteArray head, QByteArray record, qint64 records, QByteArray tail = {})
        : head_(std::move(head))
        , record_(std::move(record))
        , tail_(std::move(tail))
        , body_(head_.size() + record_.size() * records)
        , size_(body_ + tail_.size())
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    qint64 taken() const { return taken_; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        qint64 n = 0;
        for (; n < maxSize && taken_ < size_; ++n, ++taken_) {
            data[n] = taken_ < head_.size() ? head_[taken_]
                      : taken_ < body_      ? record_[(taken_ - head_.size()) % record_.size()]
                                            : tail_[taken_ - body_];
        }
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray head_;
    QByteArray record_;
    QByteArray tail_;
    qint64 body_;
    qint64 size_;
    qint64 taken_ = 0;
};

} // namespace

class TestRecordParser : public QObject
{
    Q_OBJECT

    QTemporaryDir folder_;
    WalkedRun firstAssignment_;

private slots:
    void initTestCase()
    {
        QVERIFY(folder_.isValid());
        firstAssignment_ = walkAssignment(folder_.path(), QStringLiteral("Conv Student"), 1);
        QVERIFY(!firstAssignment_.expected.isEmpty());
    }

    // Files the drill program wrote itself: all four assignments walked to their closing
    // lines, every record read back with its question, response and rating as typed.
    void walkedAssignments_data()
    {
        QTest::addColumn<int>("assignment");
        QTest::addColumn<QString>("file");
        for (int assignment = 1; assignment <= 4; ++assignment) {
            for (const char *file : {"master", "send", "notes"}) {
                QTest::addRow("assignment %d, %s file", assignment, file)
                    << assignment << QString::fromLatin1(file);
            }
        }
    }
    void walkedAssignments()
    {
        QFETCH(int, assignment);
        QFETCH(QString, file);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const WalkedRun walked =
            walkAssignment(dir.path(), QStringLiteral("Sam Student"), assignment, assignment);
        QVERIFY(!walked.expected.isEmpty());
        const QString path = file == u"master" ? walked.master
                             : file == u"send" ? walked.send
                                               : walked.notes;
        const ParsedFile parsed = parseBytes(fileBytesOf(path), path);

        QVERIFY2(parsed.realProblems().isEmpty(), qPrintable(describe(parsed.problems)));
        QList<Record> expected = walked.expected;
        if (file == u"notes") {
            QVERIFY(parsed.runs.isEmpty());
            expected.removeIf([](const Record &r) { return r.kind != RecordKind::Note; });
        } else {
            QCOMPARE(parsed.runs.size(), 1);
            const report::Run &run = parsed.runs.first();
            QVERIFY(run.codeLineValid);
            QCOMPARE(run.codeNumber, walked.codeNumber);
            QCOMPARE(run.assignment, assignment);
            QCOMPARE(run.date, walked.date);
        }
        compareRecords(parsed.records, expected, file == u"master");
        QCOMPARE(parsed.lineEnds, LineSource::LineEnds::CrLf);
    }

    // Mail programs and editors change line ends and re-save as UTF-8: the records stay the
    // same, and the file is reported for what it is.
    void convertedCopies_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("lineEnd");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<bool>("bom");
        QTest::addColumn<QString>("reported");
        for (const char *file : {"master", "send"}) {
            QTest::addRow("%s, LF only", file) << QString::fromLatin1(file) << QStringLiteral("\n")
                                               << false << false << QStringLiteral("LF only");
            QTest::addRow("%s, CR only", file) << QString::fromLatin1(file) << QStringLiteral("\r")
                                               << false << false << QStringLiteral("CR only");
            QTest::addRow("%s, UTF-8", file)
                << QString::fromLatin1(file) << QStringLiteral("\r\n") << true << false
                << QStringLiteral("re-saved as UTF-8");
            QTest::addRow("%s, UTF-8 with BOM", file)
                << QString::fromLatin1(file) << QStringLiteral("\r\n") << true << true
                << QStringLiteral("byte-order mark");
            QTest::addRow("%s, UTF-8 and LF", file)
                << QString::fromLatin1(file) << QStringLiteral("\n") << true << false
                << QStringLiteral("LF only");
        }
    }
    void convertedCopies()
    {
        QFETCH(QString, file);
        QFETCH(QString, lineEnd);
        QFETCH(bool, utf8);
        QFETCH(bool, bom);
        QFETCH(QString, reported);
        const QString path = file == u"master" ? firstAssignment_.master : firstAssignment_.send;
        const QByteArray original = fileBytesOf(path);
        QString text = records::codepage::decode(original);
        text.replace(QStringLiteral("\r\n"), lineEnd);
        QByteArray copy = utf8 ? text.toUtf8() : cp1252(text);
        if (bom)
            copy.prepend("\xEF\xBB\xBF");

        const ParsedFile before = parseBytes(original, path);
        const ParsedFile after = parseBytes(copy, path);
        QVERIFY2(after.realProblems().isEmpty(), qPrintable(describe(after.problems)));
        QVERIFY2(describe(after.problems).contains(reported), qPrintable(describe(after.problems)));
        QCOMPARE(after.runs.size(), 1);
        QCOMPARE(after.runs.first().codeLine, before.runs.first().codeLine);
        QCOMPARE(after.runs.first().codeNumber, firstAssignment_.codeNumber);
        compareRecords(after.records, firstAssignment_.expected, file == u"master");
        QCOMPARE(after.encoding, !utf8 ? LineSource::Encoding::Windows1252
                                 : bom ? LineSource::Encoding::Utf8WithBom
                                       : LineSource::Encoding::Utf8);
    }

    // A record cut short at any byte, then the drill program's own writer appending the next
    // record (it closes the torn line with CR LF first): the reader names the incomplete
    // record, reads the next one whole, and reports nothing when all of the record's text got
    // through (only its line end was cut).
    void cutAnywhereThenAppended()
    {
        const QByteArray whole = fileBytesOf(firstAssignment_.send);
        const QByteArray recordStart =
            "\r\n" + records::codepage::encode(records::fixedtext::openingRule).value() + "\r\n" +
            QByteArray(36, ' ');
        const qsizetype start = whole.lastIndexOf(recordStart) + 2;
        QVERIFY(start > 2);
        QList<qsizetype> cuts;
        for (qsizetype p = start; p < whole.size(); ++p) {
            const bool nearLineEnd = whole.mid(p - 1, 3).contains('\r');
            if (p < start + 60 || p > whole.size() - 4 || nearLineEnd || p % 11 == 0)
                cuts.append(p);
        }
        const QString next =
            records::responseRecord(records::RecordFile::Send, QStringLiteral("10:00:00"), 0,
                                    {firstQuestion, QStringLiteral("after the cut")},
                                    records::Rating::Confidence, QStringLiteral("2"));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const qsizetype cut : std::as_const(cuts)) {
            const QString path = dir.filePath(QStringLiteral("send_0303Cut_%1.txt").arg(cut));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(whole.left(cut)), cut);
            file.close();
            records::RecordFiles writer({path});
            QVERIFY(!writer.openAndAppend({next}));

            const ParsedFile parsed = parseBytes(fileBytesOf(path), path);
            const QByteArray where = "cut at byte " + QByteArray::number(cut) + " of " +
                                     QByteArray::number(whole.size()) + ": " +
                                     describe(parsed.problems).toUtf8();
            const bool textWhole = cut == start || cut >= whole.size() - 2;
            const QList<report::Problem> found = parsed.realProblems();
            QVERIFY2(found.size() == (textWhole ? 0 : 1), where);
            if (!textWhole)
                QVERIFY2(found.first().text.startsWith(u"incomplete record"), where);
            QVERIFY2(!parsed.records.isEmpty(), where);
            const Record &last = parsed.records.last();
            QVERIFY2(last.complete, where);
            QCOMPARE(last.response, QStringLiteral("after the cut"));
            QCOMPARE(last.ratingTyped, QStringLiteral("2"));
            QCOMPARE(last.question, 1);
        }
    }

    // Hand-made files with each fault the reader must name, with its line.
    void problems_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("line");
        QTest::addColumn<QString>("explanation");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("count");

        const QByteArray whole = response();
        // The opening block has 5 lines; a response record of the send file 9 here.
        const QByteArray torn = whole.left(whole.indexOf("RESPONSE") + 5);
        QTest::newRow("record cut short, then the next record")
            << block() + torn + "\r\n" + whole << sendName << qint64(6)
            << QStringLiteral("incomplete record (lines 6 to 12)") << 2 << 1;
        QTest::newRow("record cut short inside its recorded line")
            << block() + whole.left(120) + "\r\n" + whole << sendName << qint64(6)
            << QStringLiteral("inside its recorded line") << 2 << 1;
        QTest::newRow("record cut short at the end of the file")
            << block() + whole + torn << sendName << qint64(16)
            << QStringLiteral("incomplete record") << 2 << 1;
        QTest::newRow("opening block cut short")
            << block().left(38) + "\r\n" + block() + whole << sendName << qint64(1)
            << QStringLiteral("incomplete opening block") << 1 << 1;
        QTest::newRow("line added by hand")
            << block() + "I did this one on paper\r\n" + whole << sendName << qint64(6)
            << QStringLiteral("fits no record") << 1 << 1;
        QTest::newRow("line added by hand inside a run")
            << block() + whole + "see my email\r\n" + whole << sendName << qint64(16)
            << QStringLiteral("fits no record") << 2 << 1;
        QTest::newRow("date other than the file name's")
            << block(codeLine(), QStringLiteral("03-04-2026")) + whole << sendName << qint64(5)
            << QStringLiteral("dated 03-04-2026 but the file name says 03-03") << 1 << 1;
        QTest::newRow("code line missing")
            << block().mid(block().indexOf("assignment")) + whole << sendName << qint64(1)
            << QStringLiteral("no code line") << 1 << 1;
        QTest::newRow("code line with a character below 66")
            << block(codeLine() + u'A') + whole << sendName << qint64(1)
            << QStringLiteral("code line of this run is not valid") << 1 << 1;
        QTest::newRow("code line with the character 117")
            << block(codeLine() + u'u') + whole << sendName << qint64(1)
            << QStringLiteral("code line of this run is not valid") << 1 << 1;
        QTest::newRow("the same run twice")
            << block() + whole + block() + whole << masterName << qint64(16)
            << QStringLiteral("the same run (the same code line) appeared before") << 2 << 1;
        QTest::newRow("a line that is no question of the bank")
            << block() + response(QStringLiteral("What is 2 + 2?")) << sendName << qint64(6)
            << QStringLiteral("matches no question") << 1 << 1;
        QTest::newRow("response head changed by hand")
            << block() + QByteArray(whole).replace("RESPONSE -->  ", "RESPONSE:") << sendName
            << qint64(12) << QStringLiteral("expected \"RESPONSE -->\"") << 1 << 1;
        QTest::newRow("a self-critique where a confidence rating belongs")
            << block() +
                   response(firstQuestion, QStringLiteral("x"), QStringLiteral("2"),
                            records::Rating::SelfCritique) +
                   whole
            << sendName << qint64(6)
            << QStringLiteral("calls for a confidence rating, and the rating line before its "
                              "closing rule (line 14)")
            << 2 << 1;
        QTest::newRow("records before any opening block")
            << whole + whole << sendName << qint64(1)
            << QStringLiteral("records before any opening block") << 2 << 1;
        QTest::newRow("two runs with the same invalid code line")
            << block(codeLine() + u'u') + whole + block(codeLine() + u'u') + whole << masterName
            << qint64(16) << QStringLiteral("code line of this run is not valid") << 2 << 2;
        QTest::newRow("a line longer than the limit")
            << block() + whole + QByteArray(70'000, 'x') + "\r\n" + whole << sendName << qint64(16)
            << QStringLiteral("longer than the limit") << 2 << 2;
        QTest::newRow("an LF-only line in a CR LF file")
            << block() + whole + QByteArray(whole).replace("\r\n", "\n") << sendName << qint64(16)
            << QStringLiteral("other line ends") << 1 << 2;
    }
    void problems()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(qint64, line);
        QFETCH(QString, explanation);
        QFETCH(int, records);
        QFETCH(int, count);
        const ParsedFile parsed = parseBytes(bytes, name);
        const QList<report::Problem> found = parsed.realProblems();
        QVERIFY2(found.size() == count, qPrintable(describe(parsed.problems)));
        const bool named = std::any_of(found.begin(), found.end(), [&](const auto &problem) {
            return problem.file == name && problem.line == line &&
                   problem.text.contains(explanation);
        });
        QVERIFY2(named, qPrintable(describe(parsed.problems)));
        QCOMPARE(parsed.records.size(), records);
    }

    // Text typed or pasted into a response that looks like a record or an opening block is part
    // of the response: the run, its records and their questions stay as they are. Only where
    // the text ends with a whole record of the response's kind could the program have written
    // the same bytes after a crash cut the response short: that reading is taken, and the
    // record cut short is named (`flagged`, with `more` records read than were written).
    void typedLookalikes_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<qint64>("flagged");
        QTest::addColumn<int>("more");
        const QByteArray earlier =
            response(firstQuestion, QStringLiteral("earlier"), QStringLiteral("1"));
        const QByteArray typedBlock = "assignment #001\r\n001.  Areas\r\nbexlorin";
        const QByteArray rated = "x\r\nconfidence assessment:  3\r\n" + closingRuleBytes();
        QTest::newRow("an opening block without its code line") << typedBlock << 0ll << 0;
        QTest::newRow("an opening block with an invalid code line")
            << "RESPONSE -->  \r\n" + typedBlock + "\r\n03-03-2026" << 0ll << 0;
        QTest::newRow("a record's start without its response head")
            << earlier.left(earlier.indexOf("RESPONSE")) + "what I had" << 0ll << 0;
        QTest::newRow("a whole record of another kind")
            << "see:\r\n" +
                   response(firstAnswer(), QStringLiteral("e"), QStringLiteral("1"),
                            records::Rating::SelfCritique) +
                   "that was it"
            << 0ll << 0;
        QTest::newRow("a whole earlier record") << "see:\r\n" + earlier + "that was it" << 6ll << 1;
        QTest::newRow("a whole earlier record, last")
            << "see:\r\n" + earlier.chopped(2) << 6ll << 1;
        QTest::newRow("two earlier records") << earlier + earlier.chopped(2) << 6ll << 2;
        QTest::newRow("all of them")
            << typedBlock + "\r\n" + closingRuleBytes() + "\r\n" + earlier + typedBlock << 6ll << 1;
        // After a typed rating and closing rule, a typed record is two records to any reader;
        // its time stamp before the response's own tells.
        QTest::newRow("a rated text, then an earlier record")
            << rated + "\r\n" + earlier.chopped(2).replace("09:05:30", "09:01:00") << 16ll << 1;
    }
    void typedLookalikes()
    {
        QFETCH(QByteArray, typed);
        QFETCH(qint64, flagged);
        QFETCH(int, more);
        const QString text = records::codepage::decode(typed);
        const auto file = [&](const QString &first) {
            return block() + response(firstQuestion, first, QStringLiteral("3")) +
                   response(firstAnswer(), QStringLiteral("second"), QStringLiteral("2"),
                            records::Rating::SelfCritique) +
                   response(firstQuestion, QStringLiteral("third"), QStringLiteral("1"));
        };
        const ParsedFile plain = parseBytes(file(QStringLiteral("plain")), sendName);
        const ParsedFile parsed = parseBytes(file(text), sendName);
        QCOMPARE(parsed.runs.size(), 1);
        QCOMPARE(parsed.records.size(), plain.records.size() + more);
        if (flagged == 0) {
            QVERIFY2(parsed.problems.isEmpty(), qPrintable(describe(parsed.problems)));
            QCOMPARE(parsed.records.first().response, text);
        } else {
            // The record cut short is named, or the typed one by its time stamp.
            QVERIFY2(!parsed.realProblems().isEmpty() &&
                         parsed.realProblems().first().line == flagged &&
                         parsed.realProblems().first().text.contains(
                             QRegularExpression(QStringLiteral("^incomplete record|time stamp"))),
                     qPrintable(describe(parsed.problems)));
        }
        // The records written after it are read as written, whatever the reading of the text.
        for (qsizetype i = 1; i < plain.records.size(); ++i) {
            const Record &got = parsed.records[i + more];
            QCOMPARE(got.question, plain.records[i].question);
            QVERIFY(got.kind == plain.records[i].kind);
            QCOMPARE(got.ratingTyped, plain.records[i].ratingTyped);
            QCOMPARE(got.response, plain.records[i].response);
            QVERIFY(got.complete);
        }
    }

    // A master record cut at every byte: each prefix reads without a fault (the question-number
    // line among them, down to its bare label).
    void everyPrefixOfAMasterRecord()
    {
        const QByteArray whole =
            block() +
            cp1252(records::responseRecord(records::RecordFile::Master, QStringLiteral("09:05:30"),
                                           10001, {firstQuestion, QStringLiteral("12")},
                                           records::Rating::Confidence, QStringLiteral("2")));
        for (qsizetype size = 0; size <= whole.size(); ++size) {
            const ParsedFile parsed = parseBytes(whole.left(size), masterName);
            QVERIFY(parsed.records.size() <= 1);
            // The run is there once its title line is, with or without its line end.
            QCOMPARE(parsed.runs.size(),
                     size >= block().size() - 12 || size == block().size() - 14 ? 1 : 0);
        }
        const ParsedFile parsed = parseBytes(whole, masterName);
        QVERIFY(parsed.realProblems().isEmpty());
        QCOMPARE(parsed.records.first().question, 1);
    }

    // The reader never runs far ahead of the records it hands on, however long the file:
    // 20 MB are read through a window of one read (256 KB) and a few lines. (Only a record
    // start inside a response makes it look further, up to 4096 lines, for a paste.)
    void readsAsItGoes()
    {
        const QByteArray head = block();
        const QByteArray record = response(firstQuestion, QStringLiteral("x").repeated(2000));
        const qint64 records = 20'000'000 / record.size();
        GrowingFile file(head, record, records);
        report::RecordParser parser(file, sendName, report::RecordParser::FileKind::Send,
                                    builtInIndex(), QStringLiteral("03-03"));
        qint64 handedOn = 0;
        qint64 furthestAhead = 0;
        report::RecordParser::Handlers handlers;
        handlers.record = [&](const report::Run &, const Record &got) {
            ++handedOn;
            const qint64 readTo = head.size() + handedOn * record.size();
            furthestAhead = qMax(furthestAhead, file.taken() - readTo);
            QCOMPARE(got.response.size(), 2000);
        };
        parser.parse(handlers);
        QCOMPARE(handedOn, records);
        QCOMPARE(file.taken(), head.size() + records * record.size());
        QVERIFY2(furthestAhead <= 256 * 1024 + 4 * record.size(),
                 qPrintable(QString::number(furthestAhead)));
    }

    // A line is too long by its own length alone, whatever the reads it spans: at the limit it
    // is read, one byte over it is left out with its length; a line end split between reads
    // (CR | LF, CR | CR LF) is never taken for part of the line.
    void longLinesWhateverTheReadSize_data()
    {
        QTest::addColumn<QByteArray>("lineEnd");
        QTest::addColumn<qsizetype>("over"); // bytes beyond the limit
        const qsizetype limit = 250;
        for (const auto &[name, lineEnd] : {std::pair{"CR LF", QByteArray("\r\n")},
                                            {"CR CR LF", QByteArray("\r\r\n")},
                                            {"LF", QByteArray("\n")},
                                            {"CR", QByteArray("\r")}}) {
            for (const qsizetype over : {qsizetype(-1), qsizetype(0), qsizetype(1), 2 * limit})
                QTest::addRow("%s, %+lld", name, qlonglong(over)) << lineEnd << over;
        }
    }
    void longLinesWhateverTheReadSize()
    {
        QFETCH(QByteArray, lineEnd);
        QFETCH(qsizetype, over);
        const qsizetype limit = 250; // the longest line of the record, its question, fits
        QByteArray bytes = block() + response(firstQuestion, QStringLiteral("a\r\n#")) + response();
        // A CR CR LF stands only where a write was cut short; other line ends are the file's.
        const bool doubled = lineEnd == "\r\r\n";
        bytes.replace("#\r\n", QByteArray(limit + over, '.') + (doubled ? lineEnd : "\r\n"));
        if (!doubled)
            bytes.replace("\r\n", lineEnd);
        const ParsedFile usual = parseBytes(bytes, sendName, limit);
        QList<report::Problem> tooLong = usual.realProblems();
        tooLong.removeIf(
            [](const auto &problem) { return !problem.text.contains(u"longer than the limit"); });
        QVERIFY2(usual.records.size() == 2 && tooLong.size() == (over > 0 ? 1 : 0),
                 qPrintable(describe(usual.problems)));
        if (over > 0)
            QVERIFY(tooLong[0].text.contains(QStringLiteral("(%1 bytes)").arg(limit + over)));
        for (const qsizetype readSize : {1, 2, 3, 249, 251}) {
            const ParsedFile chunked = parseBytes(bytes, sendName, limit, readSize);
            QCOMPARE(describe(chunked.problems), describe(usual.problems));
            compareRecords(chunked.records, usual.records, false);
        }
    }

    // A line past the reader's own limit (64 MiB) is told by its whole length, across the
    // hundreds of reads it spans, and the lines after it keep their numbers.
    void aLineOfSeventyMebibytes()
    {
        const QByteArray head = block() + response();
        const qint64 longLine = head.count('\n') + 1;
        GrowingFile file(head, QByteArray(1024 * 1024, 'x'), 70, "\r\n" + response());
        report::RecordParser parser(file, sendName, report::RecordParser::FileKind::Send,
                                    builtInIndex(), QStringLiteral("03-03"));
        QStringList problems;
        QList<qint64> recordLines;
        report::RecordParser::Handlers handlers;
        handlers.problem = [&](const report::Problem &problem) {
            problems.append(QStringLiteral("%1: %2").arg(problem.line).arg(problem.text));
        };
        handlers.record = [&](const report::Run &, const Record &got) {
            recordLines.append(got.line);
        };
        parser.parse(handlers);
        QVERIFY2(problems.filter(QStringLiteral("(73400320 bytes)")).size() == 1 &&
                     problems.first().startsWith(QString::number(longLine) + u':'),
                 qPrintable(problems.join(u'\n')));
        QCOMPARE(recordLines, (QList<qint64>{block().count('\n') + 1, longLine + 1}));
    }

    // Files are read ahead on worker threads: results come in the order asked for whoever made
    // them, the workers stay within their window, and what is left untaken ends without a hang.
    void orderedWork_data()
    {
        QTest::addColumn<int>("workers");
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("taken");
        QTest::addColumn<int>("budget"); // bytes, each result weighing 10; 0: none
        QTest::newRow("one core: made when taken") << 0 << 4 << 50 << 50 << 0;
        QTest::newRow("one worker, one ahead") << 1 << 1 << 50 << 50 << 0;
        QTest::newRow("three workers") << 3 << 4 << 500 << 500 << 0;
        QTest::newRow("most left untaken") << 3 << 4 << 500 << 7 << 0;
        QTest::newRow("one result") << 3 << 4 << 1 << 1 << 0;
        QTest::newRow("none") << 3 << 4 << 0 << 0 << 0;
        QTest::newRow("bytes of two results") << 3 << 8 << 500 << 500 << 20;
        QTest::newRow("a result larger than the bytes") << 2 << 8 << 500 << 500 << 5;
        QTest::newRow("bytes, most left untaken") << 3 << 8 << 500 << 7 << 20;
    }

    void orderedWork()
    {
        QFETCH(int, workers);
        QFETCH(int, window);
        QFETCH(int, count);
        QFETCH(int, taken);
        QFETCH(int, budget);
        std::atomic<qsizetype> inHand{0};
        std::atomic<qsizetype> furthest{0};
        std::atomic<int> made{0};
        std::atomic<int> madeByTaker{0};
        QThread *const taker = QThread::currentThread();
        // Results held ahead: below the budget when the last was started, and one per worker.
        const int heldAtMost = (budget + 9) / 10 + qMax(workers, 1) - 1;
        {
            report::OrderedWork<QString> work(
                count,
                [&](qsizetype i) {
                    qsizetype ahead = i - inHand;
                    qsizetype seen = furthest;
                    while (ahead > seen && !furthest.compare_exchange_weak(seen, ahead)) {
                    }
                    madeByTaker += QThread::currentThread() == taker ? 1 : 0;
                    ++made;
                    return QString::number(i);
                },
                workers, window, [](const QString &) { return qint64(10); },
                budget > 0 ? budget : std::numeric_limits<qint64>::max());
            for (int i = 0; i < taken; ++i) {
                QCOMPARE(work.take(i), QString::number(i));
                inHand = i + 1;
                if (budget > 0)
                    QVERIFY(work.heldBytes() <= 10 * heldAtMost);
            }
        }
        QVERIFY2(furthest <= window, qPrintable(QString::number(furthest)));
        if (budget > 0)
            QVERIFY2(furthest <= heldAtMost, qPrintable(QString::number(furthest)));
        QCOMPARE(madeByTaker.load(), workers == 0 || count == 1 ? taken : 0);
        if (taken == count)
            QCOMPARE(made.load(), count);
        else
            QVERIFY(made <= taken + window);
    }

    // Texts kept for a page come back exactly, in whole characters, from memory or from the
    // temporary file past the store's memory limit, also to several threads reading at once.
    void textStore_data()
    {
        QTest::addColumn<qint64>("memoryLimit");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("spilled");
        const QString emoji = QStringLiteral("\U0001F600");
        const QStringList few{QStringLiteral("12 m²"), QString(), QStringLiteral("two\r\nlines")};
        QTest::newRow("in memory") << qint64(1024) << few << false;
        QTest::newRow("past the limit") << qint64(8) << few << true;
        // Encoded 256 Ki characters, decoded 256 KiB at a time: a pair and a UTF-8 sequence
        // across both edges.
        const QStringList cut{QString(256 * 1024 - 1, u'a') + emoji + QStringLiteral("b"),
                              QString(256 * 1024 - 2, u'é') + emoji};
        QTest::newRow("characters across pieces, in memory") << qint64(4 << 20) << cut << false;
        QTest::newRow("characters across pieces, in the file") << qint64(1024) << cut << true;
    }

    void textStore()
    {
        QFETCH(qint64, memoryLimit);
        QFETCH(QStringList, texts);
        QFETCH(bool, spilled);
        report::TextStore store(memoryLimit);
        QList<report::TextStore::Span> spans;
        for (const QString &text : texts)
            spans.append(store.add(text));
        QCOMPARE(store.spilled(), spilled);
        const auto readAll = [&] {
            QStringList read;
            for (const report::TextStore::Span &span : spans) {
                QString text;
                bool whole = true;
                store.read(span, [&](QStringView piece) {
                    whole = whole && !piece.isEmpty() && !piece.back().isHighSurrogate();
                    text += piece;
                });
                read.append(whole ? text : QStringLiteral("<cut inside a character>"));
            }
            return read;
        };
        QStringList other;
        std::thread reader([&] { other = readAll(); });
        const QStringList read = readAll();
        reader.join();
        QCOMPARE(read, texts);
        QCOMPARE(other, texts);
        QVERIFY(store.error().isEmpty());
    }

    // What the table and the page say of a run: questions answered, mean ratings, notes, the
    // calibration cells (a confidence paired with the self-critique of the worked answer that
    // follows it) and the time between records, counted for the later record's question.
    void runSums()
    {
        QStringList questions;
        QStringList answers;
        for (const QString &entry : bank::assignmentContent()) {
            if (entry.startsWith(u"002.  "))
                break;
            if (entry.startsWith(u"`q"))
                questions.append(entry);
            else if (entry.startsWith(u"`a"))
                answers.append(entry.mid(2));
        }
        const auto record = [](const char *time, const QString &entry, records::Rating kind,
                               const char *rating) {
            return cp1252(records::responseRecord(
                records::RecordFile::Send, QString::fromLatin1(time), 0,
                {entry, QStringLiteral("r")}, kind, QString::fromLatin1(rating)));
        };
        using records::Rating;
        const QByteArray bytes =
            block() + record("09:00:00", questions[0], Rating::Confidence, "3") +
            record("09:02:00", answers[0], Rating::SelfCritique, "1") +
            record("09:05:00", questions[1], Rating::Confidence, "0") +
            record("09:06:30", answers[1], Rating::SelfCritique, "2") +
            record("09:10:30", questions[2], Rating::Confidence, "3") +
            record("09:11:00", answers[2], Rating::SelfCritique, "1") +
            // A rating that is no number counts nowhere; an answer with no confidence before it
            // goes into no cell.
            record("09:12:00", questions[3], Rating::Confidence, "sure") +
            record("09:14:00", answers[3], Rating::SelfCritique, "3") +
            cp1252(records::notesRecord(QStringLiteral("09:15:00"),
                                        QStringLiteral("03-03-202609:15:00"),
                                        {answers[3], records::notesLine(QStringLiteral("n"))}));

        const report::QuestionIndex &index = builtInIndex();
        report::Gradebook book(index, true);
        book.beginFile(sendName);
        QByteArray copy = bytes;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        report::RecordParser parser(buffer, sendName, report::RecordParser::FileKind::Send, index,
                                    QStringLiteral("03-03"));
        report::RecordParser::Handlers handlers;
        handlers.run = [&](const report::Run &run) { book.addRun(run); };
        handlers.record = [&](const report::Run &, const Record &r) { book.addRecord(r); };
        handlers.problem = [&](const report::Problem &p) { book.addProblem(p); };
        parser.parse(handlers);

        QCOMPARE(book.runs().size(), 1);
        const report::RunSummary &run = book.runs().first();
        QCOMPARE(run.student, QStringLiteral("Sam Student"));
        QCOMPARE(run.answered.size(), 4);
        QCOMPARE(run.questions, 18);
        QCOMPARE(run.meanConfidence().value(), 2.0);         // 3, 0, 3
        QCOMPARE(run.meanSelfCritique().value(), 7.0 / 4.0); // 1, 2, 1, 3
        QCOMPARE(run.notes, 1);
        QCOMPARE(run.firstTime, QStringLiteral("09:00:00"));
        QCOMPARE(run.lastTime, QStringLiteral("09:15:00"));
        report::CalibrationGrid expected{};
        expected[3][1] = 2;
        expected[0][2] = 1;
        QVERIFY(run.calibration == expected);
        QVERIFY(book.classCalibration() == expected);
        const QMap<int, int> seconds{{1, 120}, {2, 180 + 90}, {3, 240 + 30}, {4, 60 + 120 + 60}};
        QCOMPARE(run.secondsPerQuestion, seconds);
        QVERIFY(!book.hasProblems());
        QCOMPARE(run.details.value(4).notes.size(), 1);
        QCOMPARE(book.texts().text(run.details.value(4).notes.first()), QStringLiteral("n"));
    }

    // A rating that is not 0..3 is kept as typed and noted, without failing the file.
    void ratingsAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("number");
        QTest::newRow("0") << QStringLiteral("0") << 0;
        QTest::newRow("3") << QStringLiteral("3") << 3;
        QTest::newRow("blanks around 2") << QStringLiteral(" 2 ") << 2;
        QTest::newRow("4") << QStringLiteral("4") << -1;
        QTest::newRow("a word") << QStringLiteral("very") << -1;
        QTest::newRow("1.5") << QStringLiteral("1.5") << -1;
        QTest::newRow("cancelled") << QString() << -1;
    }
    void ratingsAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(int, number);
        const ParsedFile parsed =
            parseBytes(block() + response(firstQuestion, {}, typed), sendName);
        QVERIFY(parsed.realProblems().isEmpty());
        QCOMPARE(parsed.records.size(), 1);
        QCOMPARE(parsed.records.first().ratingTyped, typed);
        QCOMPARE(parsed.records.first().rating.value_or(-1), number);
        QCOMPARE(parsed.problems.size(), number < 0 ? 1 : 0);
    }

    // Every byte value, in a response and as a rating, comes back as the character it codes.
    void byteValues_data()
    {
        QTest::addColumn<int>("code");
        for (int code = 0; code < 256; ++code)
            QTest::addRow("%d", code) << code;
    }
    void byteValues()
    {
        QFETCH(int, code);
        const QChar c = records::codepage::characterOf(code);
        const QString text = QStringLiteral("x") + c + QStringLiteral("y");
        const ParsedFile parsed = parseBytes(block() + response(firstQuestion, text, c), sendName);
        QCOMPARE(parsed.records.size(), 1);
        QCOMPARE(parsed.records.first().response, text);
        // A CR at the very end of a line reads as CR CR LF: what a write cut between CR and LF
        // leaves once the next record is appended. It is taken as part of the line end, and
        // said so.
        const bool endsInCr = code == '\r';
        QCOMPARE(parsed.records.first().ratingTyped, endsInCr ? QString() : QString(c));
        QCOMPARE(describe(parsed.problems).contains(QStringLiteral("CR CR LF")), endsInCr);
        QCOMPARE(parsed.records.first().question, 1);
        // A lone CR or LF never comes from the drill program: the reader says where it is.
        const bool lineEnd = code == '\r' || code == '\n';
        QCOMPARE(parsed.realProblems().size(), lineEnd ? 1 : 0);
    }

    // All 256 values in one response, and the code line over every allowed key character.
    void allByteValuesInOneRecord()
    {
        QString text;
        QString keys;
        for (int code = 0; code < 256; ++code) {
            text += records::codepage::characterOf(code);
            if (code >= 66 && code != 117)
                keys += records::codepage::characterOf(code);
        }
        const ParsedFile parsed = parseBytes(block(keys) + response(firstQuestion, text), sendName);
        QCOMPARE(parsed.records.size(), 1);
        QCOMPARE(parsed.records.first().response, text);
        QCOMPARE(parsed.runs.first().codeNumber, 256 - 118);
        QVERIFY(parsed.runs.first().codeLineValid);
    }

    // A record file's name as the program wrote it, and as course sites and browsers hand it
    // back: the student is the program's part alone; what the site added is kept as its facts.
    void recordFileNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("student");
        QTest::addColumn<QString>("site");
        QTest::addColumn<QStringList>("facts"); // site name, user id, username, attempt
        QTest::addColumn<bool>("late");
        QTest::addColumn<int>("resubmission");
        QTest::addColumn<bool>("agrees");
        const QStringList none{QString(), QString(), QString(), QString()};
        QTest::newRow("as written")
            << QStringLiteral("c/send_1208Ann_Lee.txt") << QStringLiteral("send")
            << QStringLiteral("Ann Lee") << QString() << none << false << 0 << true;
        QTest::newRow("Moodle, a folder per submission")
            << QStringLiteral("c/Ann Lee_9101_assignsubmission_file_/send_1208Ann_Lee.txt")
            << QStringLiteral("send") << QStringLiteral("Ann Lee") << QStringLiteral("Moodle")
            << QStringList{QStringLiteral("Ann Lee"), QStringLiteral("9101"), QString(), QString()}
            << false << 0 << true;
        QTest::newRow("Moodle, flattened")
            << QStringLiteral("Ann Lee_9101_assignsubmission_file_masterFile_Ann_Lee.txt")
            << QStringLiteral("master") << QStringLiteral("Ann Lee") << QStringLiteral("Moodle")
            << QStringList{QStringLiteral("Ann Lee"), QStringLiteral("9101"), QString(), QString()}
            << false << 0 << true;
        QTest::newRow("Moodle, another student's file")
            << QStringLiteral("Bo Chan_9102_assignsubmission_file_/send_1208Ann_Lee.txt")
            << QStringLiteral("send") << QStringLiteral("Ann Lee") << QStringLiteral("Moodle")
            << QStringList{QStringLiteral("Bo Chan"), QStringLiteral("9102"), QString(), QString()}
            << false << 0 << false;
        QTest::newRow("Canvas, late")
            << QStringLiteral("leeann_LATE_101_77101_send_1208Ann_Lee.txt")
            << QStringLiteral("send") << QStringLiteral("Ann Lee") << QStringLiteral("Canvas")
            << QStringList{QStringLiteral("leeann"), QStringLiteral("101"), QString(), QString()}
            << true << 0 << true;
        QTest::newRow("Canvas, a resubmission")
            << QStringLiteral("doekimo_102_77102_send_1208Kim_O_Doe-1.txt")
            << QStringLiteral("send") << QStringLiteral("Kim O Doe") << QStringLiteral("Canvas")
            << QStringList{QStringLiteral("doekimo"), QStringLiteral("102"), QString(), QString()}
            << false << 1 << true;
        QTest::newRow("Blackboard")
            << QStringLiteral("Homework 1_alee_attempt_2026-12-08-10-11-12_send_1208Zoë_Lee.txt")
            << QStringLiteral("send") << QStringLiteral("Zoë Lee") << QStringLiteral("Blackboard")
            << QStringList{QString(), QString(), QStringLiteral("alee"),
                           QStringLiteral("2026-12-08-10-11-12")}
            << false << 0 << true;
        QTest::newRow("a browser's copy")
            << QStringLiteral("notes_Zoë_Lee (2).txt") << QStringLiteral("notes")
            << QStringLiteral("Zoë Lee") << QString() << none << false << 2 << true;
        QTest::newRow("the program's part inside a word")
            << QStringLiteral("resend_1208Ann.txt") << QStringLiteral("other")
            << QStringLiteral("resend 1208Ann") << QString() << none << false << 0 << true;
    }
    void recordFileNames()
    {
        QFETCH(QString, path);
        QFETCH(QString, kind);
        QFETCH(QString, student);
        QFETCH(QString, site);
        QFETCH(QStringList, facts);
        QFETCH(bool, late);
        QFETCH(int, resubmission);
        QFETCH(bool, agrees);
        const report::RecordFileName name = report::RecordFileName::of(path);
        QCOMPARE(name.kindText(), kind);
        QCOMPARE(name.student, student);
        QCOMPARE(name.site.siteText(), site);
        QCOMPARE((QStringList{name.site.siteName, name.site.userId, name.site.username,
                              name.site.attempt}),
                 facts);
        QCOMPARE(name.site.late, late);
        QCOMPARE(name.site.resubmission, resubmission);
        QCOMPARE(name.site.agreesWith(name.student), agrees);
        QVERIFY(name.written.startsWith(kind == u"other" ? QString() : kind.left(4),
                                        Qt::CaseInsensitive));
    }
};

QTEST_MAIN(TestRecordParser)
#include "tst_recordparser.moc"
