// SPDX-License-Identifier: MIT
// The reader as the writer's inverse, as a property: record files composed by the program's own
// composition code, with typed texts drawn from a grammar of hostile lines, read back. Every
// record must come back exactly as composed, or a problem must name a line of that record; or
// else the file must be one that the records read, composed again, give back byte for byte (a
// file that no reader can tell from another). What is read must not depend on the read size
// nor on the records before. Seeded: a failure names its seed, BEXLORIN_ROUNDTRIP_SEED=N
// BEXLORIN_ROUNDTRIP_CASES=1 runs that case alone (BEXLORIN_ROUNDTRIP_DUMP=file to see it).
#include "bank/assignmentcontent.h"
#include "parsedfile.h"
#include "records/codepage.h"
#include "records/linecoding.h"
#include "records/recordcomposition.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <unistd.h>

using report::Record;
using report::RecordKind;
namespace text = records::fixedtext;

namespace {

constexpr qsizetype lineLimit = 4096;

// A record as composed, with the lines it takes in the file.
struct Written
{
    Record record;
    QString text;
    qint64 first = 0;
    qint64 last = 0;
};

struct Composed
{
    QString name;
    QString text; // the file, before encoding
    QList<Written> records;
    bool benign = true; // no typed line that may read as a record, a run or a fault
};

// The built-in assignments, made once.
const QStringList &content()
{
    static const QStringList entries = bank::assignmentContent();
    return entries;
}

QString headLine(int assignment)
{
    return *std::find_if(content().begin(), content().end(), [&](const QString &entry) {
        return entry.startsWith(QStringLiteral("00%1.  ").arg(assignment));
    });
}

struct Entry
{
    QString text;
    records::Rating rating = records::Rating::None;
    int question = 0;
};

// One assignment's entries as a record holds them, an empty one first (before the first read).
QList<Entry> entriesOf(int assignment)
{
    QList<Entry> entries{{}};
    int current = 0;
    int question = 0;
    for (const QString &entry : content()) {
        if (entry.size() > 4 && entry[3] == u'.' && entry.left(3).toInt() > 0)
            current = entry.left(3).toInt();
        else if (current == assignment && entry.startsWith(u"`q"))
            entries.append(
                {entry, records::Rating::Confidence, question = entry.mid(2, 3).toInt()});
        else if (current == assignment && entry.startsWith(u"`a"))
            entries.append({entry.mid(2), records::Rating::SelfCritique, question});
        else if (current == assignment && !entry.isEmpty())
            entries.append({entry, records::Rating::Confidence, question});
    }
    return entries;
}

class Composer
{
public:
    explicit Composer(quint64 seed)
        : rng_(seed)
        , assignment_(1 + int(rng_.bounded(4)))
        , hostile_(rng_.bounded(3) > 0)
    {
        static const QList<QList<Entry>> all{entriesOf(1), entriesOf(2), entriesOf(3),
                                             entriesOf(4)};
        entries_ = all[assignment_ - 1];
    }

    Composed compose(int prefixRecords = 0);

private:
    int pick(int n) { return int(rng_.bounded(n)); }
    QString time()
    {
        clock_ = clock_.addSecs(1 + pick(300));
        return clock_.toString(QStringLiteral("HH:mm:ss"));
    }
    QString record(records::RecordFile file, bool note, const QString &at, const QString &typed,
                   Entry *entry, QString *rating);
    QString hostileText(bool *benign, int depth);
    QString hostileLine(bool *benign, int depth);

    QRandomGenerator rng_;
    int assignment_;
    bool hostile_; // else only lines that may read as no record
    QList<Entry> entries_;
    QTime clock_{9, 0};
};

QString Composer::record(records::RecordFile file, bool note, const QString &at,
                         const QString &typed, Entry *entry, QString *rating)
{
    *entry = entries_[pick(int(entries_.size()))];
    if (note)
        return records::notesRecord(at, QStringLiteral("03-03-2026") + at,
                                    {entry->text, records::notesLine(typed)});
    static const QStringList ratings = {
        QStringLiteral("3"),   QStringLiteral("0"),           QString(),
        QStringLiteral(" 2 "), QStringLiteral("pretty sure"), text::closingRule.toString()};
    *rating = ratings[pick(int(ratings.size()))];
    const double number =
        records::questionNumberValue(QStringLiteral("%1").arg(assignment_, 3, 10, QChar(u'0')),
                                     QString::number(entry->question));
    return records::responseRecord(file, at, number, {entry->text, typed}, entry->rating, *rating);
}

// One to six lines of the grammar; `benign` is cleared by lines that may read as a record, a
// run, or a fault the reader names (an overlong line, a lone CR or LF).
QString Composer::hostileText(bool *benign, int depth)
{
    QStringList lines;
    for (int n = pick(7); n >= 0; --n)
        lines.append(hostileLine(benign, depth));
    return lines.join(u"\r\n");
}

QString Composer::hostileLine(bool *benign, int depth)
{
    const QString stamp = text::stampIndent.toString() + QStringLiteral("09:0%1:30").arg(pick(10));
    // Lines that read as no record come twice as often; records are pasted only at the top.
    const int drawn = pick(hostile_ ? (depth > 0 ? 30 : 36) : 27);
    switch (drawn < 24 ? drawn / 2 : drawn < 27 ? 12 : drawn - 14) {
    case 0:
        return QString();
    case 1:
        return text::closingRule.toString();
    case 2:
        return text::confidenceLabel.toString() + QString::number(pick(4));
    case 3:
        return pick(2) ? text::selfCritiqueLabel.toString() + QStringLiteral("1")
                       : text::confidenceLabel.toString();
    case 4:
        return stamp;
    case 5:
        return text::stampIndent.toString() + QStringLiteral("03-03-202609:00:00");
    case 6:
        return pick(2) ? text::responseHead.toString() : text::responseHead.trimmed().toString();
    case 7:
        return text::notesLabel.toString() + QStringLiteral("pasted");
    case 8:
        return records::questionNumberLine(10000.0 * assignment_ + 1);
    case 9:
        return entries_[pick(int(entries_.size()))].text;
    case 10:
        return QStringList{QStringLiteral("bexlorin"), QStringLiteral("03-03-2026"),
                           content().first(), QString(22, QChar(0xFF))}[pick(4)];
    case 11:
        return QStringList{QStringLiteral("pasted:"), QStringLiteral("what I had"),
                           QStringLiteral("  12 m² , ½ µ résumé  ")}[pick(3)];
    case 12:
        return QString(pick(2) ? lineLimit / 4 : 50, u'x');
    case 13:
        *benign = false;
        return QString(lineLimit + 1 + pick(3000), u'y');
    case 14:
        *benign = false;
        return pick(2) ? QStringLiteral("lone\nLF") : QStringLiteral("lone\rCR");
    case 15:
        *benign = false;
        return text::assignmentLabel.toString() + QStringLiteral("00%1").arg(assignment_);
    case 16:
        *benign = false;
        return text::openingRule.toString();
    case 17:
        *benign = false;
        return records::openingBlock(
                   QString(22, QChar(0xFF)), records::assignmentLine(QStringLiteral("001")),
                   content().first(), QStringLiteral("bexlorin"), QStringLiteral("03-03-2026"))
            .chopped(2);
    default: {
        // A whole record, or its first lines, pasted: of either form, earlier or later.
        *benign = false;
        Entry entry;
        QString rating;
        bool inner = true;
        const QString at = clock_.addSecs(pick(2) ? 1 + pick(300) : -1 - pick(3600))
                               .toString(QStringLiteral("HH:mm:ss"));
        const QString pasted =
            record(pick(2) ? records::RecordFile::Master : records::RecordFile::Send, pick(4) == 0,
                   at, hostileText(&inner, depth + 1), &entry, &rating);
        const QStringList lines = pasted.chopped(2).split(QStringLiteral("\r\n"));
        return pick(2) ? pasted.chopped(2)
                       : lines.mid(0, 1 + pick(int(lines.size()))).join(u"\r\n");
    }
    }
}

// A file of the kind chosen: an opening block (not in a notes file), `prefixRecords` plain
// records, then one to five records with hostile texts (the same whatever the prefix).
Composed Composer::compose(int prefixRecords)
{
    Composed file;
    const int kind = pick(3);
    file.name =
        QStringList{QStringLiteral("masterFile_Sam.txt"), QStringLiteral("send_0303Sam.txt"),
                    QStringLiteral("notes_Sam.txt")}[kind];
    const auto fileKind = kind == 0 ? records::RecordFile::Master : records::RecordFile::Send;
    QRandomGenerator codes(rng_.generate());
    if (kind != 2)
        file.text = records::openingBlock(
            records::makeCodeLine(float(19 + pick(10)),
                                  [&] { return float(codes.generateDouble()); }),
            records::assignmentLine(QStringLiteral("%1").arg(assignment_, 3, 10, QChar(u'0'))),
            headLine(assignment_), QStringLiteral("bexlorin"), QStringLiteral("03-03-2026"));
    for (int i = 0; i < prefixRecords; ++i) {
        const QString at = QStringLiteral("08:0%1:00").arg(i);
        file.text += kind == 2 ? records::notesRecord(at, QStringLiteral("03-03-2026") + at,
                                                      {{}, records::notesLine(QStringLiteral("n"))})
                               : records::responseRecord(fileKind, at, 0, {{}, QStringLiteral("r")},
                                                         records::Rating::None, {});
    }
    for (int i = 0, count = 1 + pick(5); i < count; ++i) {
        Written written;
        Record &r = written.record;
        const bool note = kind == 2 || pick(4) == 0;
        r.response = hostileText(&file.benign, 0);
        file.benign = file.benign && r.response.size() + 100 < lineLimit;
        Entry entry;
        written.first = file.text.count(u"\r\n") + 1;
        written.text = record(fileKind, note, time(), r.response, &entry, &r.ratingTyped);
        file.text += written.text;
        written.last = file.text.count(u"\r\n");
        r.kind = note                                            ? RecordKind::Note
                 : entry.rating == records::Rating::Confidence   ? RecordKind::Question
                 : entry.rating == records::Rating::SelfCritique ? RecordKind::Answer
                                                                 : RecordKind::Response;
        r.line = written.first;
        r.time = clock_.toString(QStringLiteral("HH:mm:ss"));
        r.dateAndTime = note ? QStringLiteral("03-03-2026") + r.time : QString();
        r.recordedLine = entry.text;
        r.hasRatingLine = !note && entry.rating != records::Rating::None;
        if (!r.hasRatingLine)
            r.ratingTyped.clear();
        r.question = entry.question;
        file.records.append(written);
    }
    return file;
}

// What a record is compared by; `shift` moves its line.
QString shown(const Record &r, qint64 shift = 0, bool question = true)
{
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
        .arg(r.line + shift)
        .arg(int(r.kind))
        .arg(r.time, r.dateAndTime, r.recordedLine, r.response)
        .arg(r.hasRatingLine ? QStringLiteral("rated ") + r.ratingTyped : QString())
        .arg(r.complete)
        .arg(question ? r.question : 0);
}

QString everything(const ParsedFile &parsed)
{
    QStringList all;
    for (const Record &r : parsed.records)
        all.append(shown(r));
    for (const report::Problem &p : parsed.problems)
        all.append(QStringLiteral("%1: %2").arg(p.line).arg(p.text));
    return all.join(u'\n');
}

QByteArray brief(const QString &text)
{
    return QString(text).replace(u'\r', u'~').replace(u'\n', u'/').left(400).toUtf8();
}

// What was read from a record's lines, composed again by the composition code.
QString recomposed(const ParsedFile &parsed, const Written &written, bool master)
{
    QMap<qint64, QString> parts; // by line
    const auto within = [&](qint64 line) { return line >= written.first && line <= written.last; };
    for (const report::Run &run : parsed.runs) {
        if (within(run.line))
            parts[run.line] =
                records::openingBlock(run.codeLine, records::assignmentLine(run.assignmentText),
                                      run.headLine, QStringLiteral("bexlorin"), run.date);
    }
    for (const Record &r : parsed.records) {
        const auto rating = !r.hasRatingLine                 ? records::Rating::None
                            : r.kind == RecordKind::Question ? records::Rating::Confidence
                                                             : records::Rating::SelfCritique;
        if (!within(r.line))
            continue;
        parts[r.line] = r.kind == RecordKind::Note
                            ? records::notesRecord(r.time, r.dateAndTime,
                                                   {r.recordedLine, records::notesLine(r.response)})
                            : records::responseRecord(
                                  master ? records::RecordFile::Master : records::RecordFile::Send,
                                  r.time, 10000.0 * r.assignment + r.question,
                                  {r.recordedLine, r.response}, rating, r.ratingTyped);
    }
    return QStringList(parts.values()).join(QString());
}

// For a failing seed: the file as written, and what was read and written, record by record.
void dumpCase(const QString &path, const QByteArray &bytes, const Composed &file,
              const ParsedFile &parsed)
{
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
    for (const Written &w : file.records)
        qInfo("written, lines %lld to %lld: %s", w.first, w.last, brief(shown(w.record)).data());
    for (const Record &r : parsed.records)
        qInfo("read: %s", brief(shown(r)).data());
    for (const report::Problem &p : parsed.problems)
        qInfo("problem at %lld: %s", p.line, qPrintable(p.text));
}

// A crash ends the run before a failure can name its case: the handler says which one it was,
// then hands the signal on as it was handled before.
char crashNote[64];
int crashNoteLength = 0;
#ifdef Q_OS_WIN
using Handler = void (*)(int);
Handler before[NSIG];
#else
struct sigaction before[NSIG];
#endif

void onCrash(int signal)
{
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, crashNote, crashNoteLength);
#ifdef Q_OS_WIN
    std::signal(signal, before[signal]);
#else
    sigaction(signal, &before[signal], nullptr);
#endif
    raise(signal);
}

void noteCase(quint64 seed)
{
    crashNoteLength = std::snprintf(crashNote, sizeof crashNote, "\ncrashed at seed %llu\n", seed);
}

void sayCaseOnCrash()
{
#ifdef Q_OS_WIN
    for (const int signal : {SIGSEGV, SIGABRT, SIGFPE, SIGILL})
        before[signal] = std::signal(signal, onCrash);
#else
    struct sigaction action = {};
    action.sa_handler = onCrash;
    for (const int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
        sigaction(signal, &action, &before[signal]);
#endif
}

struct Tally
{
    int exact = 0;
    int flagged = 0;
    int ambiguous = 0;
};

// Every record as written, or a problem on one of its lines, or what was read from its lines
// composing it again.
void compare(const Composed &file, const ParsedFile &parsed, const QByteArray &seed, Tally &tally)
{
    const QList<report::Problem> problems = parsed.realProblems();
    const bool questions = !file.name.startsWith(u"notes");
    for (const Written &w : file.records) {
        const auto read = std::find_if(parsed.records.begin(), parsed.records.end(),
                                       [&](const Record &r) { return r.line == w.first; });
        if (read != parsed.records.end() &&
            shown(*read, 0, questions) == shown(w.record, 0, questions)) {
            ++tally.exact;
        } else if (std::any_of(problems.begin(), problems.end(), [&](const auto &p) {
                       return p.line <= w.last && qMax(p.line, p.lastLine) >= w.first;
                   })) {
            ++tally.flagged;
        } else {
            QVERIFY2(recomposed(parsed, w, file.name.startsWith(u"master")) == w.text,
                     seed + ": the record at line " + QByteArray::number(w.first) +
                         " is read otherwise, without a problem: " +
                         brief(read == parsed.records.end() ? QString() : shown(*read)));
            ++tally.ambiguous;
        }
    }
}

} // namespace

class TestRecordRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void composedFilesReadBack()
    {
        const quint64 first = qEnvironmentVariableIsSet("BEXLORIN_ROUNDTRIP_SEED")
                                  ? qEnvironmentVariable("BEXLORIN_ROUNDTRIP_SEED").toULongLong()
                                  : 20260303;
        const int cases = qEnvironmentVariableIntValue("BEXLORIN_ROUNDTRIP_CASES") > 0
                              ? qEnvironmentVariableIntValue("BEXLORIN_ROUNDTRIP_CASES")
                              : 3000;
        Tally tally;
        int benign = 0;
        QElapsedTimer timer;
        timer.start();
        sayCaseOnCrash();
        for (quint64 seed = first; seed < first + quint64(cases); ++seed) {
            noteCase(seed);
            const QByteArray failed = "seed " + QByteArray::number(seed);
            const Composed file = Composer(seed).compose();
            const QByteArray bytes = records::codepage::encode(file.text).value();
            const ParsedFile parsed = parseBytes(bytes, file.name, lineLimit);
            if (const QString dump = qEnvironmentVariable("BEXLORIN_ROUNDTRIP_DUMP");
                !dump.isEmpty())
                dumpCase(dump, bytes, file, parsed);
            // The same at any read size, and after other records.
            for (const qsizetype readSize : {1, 7, 4096}) {
                QVERIFY2(everything(parseBytes(bytes, file.name, lineLimit, readSize)) ==
                             everything(parsed),
                         failed + " at read size " + QByteArray::number(readSize));
            }
            for (const int prefix : {1, 3}) {
                const Composed longer = Composer(seed).compose(prefix);
                const ParsedFile after = parseBytes(records::codepage::encode(longer.text).value(),
                                                    longer.name, lineLimit);
                const qint64 shift = longer.records[0].first - file.records[0].first;
                QVERIFY2(after.records.size() == parsed.records.size() + prefix, failed);
                for (qsizetype i = 0; i < parsed.records.size(); ++i) {
                    QVERIFY2(shown(after.records[i + prefix]) == shown(parsed.records[i], shift),
                             failed + " after " + QByteArray::number(prefix) + " records");
                }
            }
            const int exactBefore = tally.exact;
            compare(file, parsed, failed, tally);
            if (QTest::currentTestFailed())
                return;
            // Typed lines that read as no record: every record exactly, and no problem.
            if (file.benign) {
                ++benign;
                QVERIFY2(parsed.realProblems().isEmpty() &&
                             tally.exact - exactBefore == int(file.records.size()),
                         failed + ": " + brief(everything(parsed)));
            }
        }
        qInfo("%d cases from seed %llu in %.1f s, %d of them with typed lines that read as no "
              "record. Records: %d read back exactly, %d read otherwise with a problem on one of "
              "their lines, %d that no reader can tell from the records read (composed again, "
              "these give the same bytes)",
              cases, first, double(timer.elapsed()) / 1000.0, benign, tally.exact, tally.flagged,
              tally.ambiguous);
    }
};

QTEST_GUILESS_MAIN(TestRecordRoundTrip)
#include "tst_recordroundtrip.moc"
