// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QRegularExpression>
#include <QString>

// An independent reader of the record files' byte layout, written from the record formats
// rather than from the program's own composition code, so that a torn or half-written record
// shows up as a parse error instead of being accepted by the code that wrote it.
namespace recordreader {

enum class FileKind { Master, Send, Notes };

struct Record
{
    enum class Kind { Opening, Response, Notes };
    Kind kind = Kind::Opening;
    // Opening: the five lines. Response and notes: the current entry's lines, and the lines
    // from the response head (or notes line) up to, not including, the closing rule.
    QByteArrayList lines;
    QByteArray entry;
    QByteArray body;
};

struct ParsedFile
{
    QList<Record> records;
    QString error; // empty when the whole file is whole records
    // The length of the whole records at the start of the file: all of it when there is no
    // error, otherwise where the record that is not whole begins.
    qsizetype wholeBytes = 0;
    qsizetype count(Record::Kind kind) const
    {
        qsizetype n = 0;
        for (const Record &record : records)
            n += record.kind == kind ? 1 : 0;
        return n;
    }
};

inline const QByteArray openingRule("......!!!!!!!!...................................");
inline const QByteArray closingRule(".................................................");
inline const QByteArray responseHead("RESPONSE -->  ");
inline const QByteArray notesLabel("NOTES -------> ");

inline bool matches(const char *pattern, const QByteArray &line)
{
    const QRegularExpression re(QString::fromLatin1(pattern));
    return re.match(QString::fromLatin1(line)).hasMatch();
}

// Every line of a record file ends in CR LF; a lone CR or LF stays inside its line. `starts`
// receives where each line begins, and one more entry: where the complete lines end.
inline QByteArrayList splitLines(const QByteArray &bytes, QString *error, QList<qsizetype> *starts)
{
    QByteArrayList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf("\r\n", start);
        if (end < 0) {
            *error = QStringLiteral("the file ends inside a line, at byte %1").arg(start);
            break;
        }
        starts->append(start);
        lines.append(bytes.mid(start, end - start));
        start = end + 2;
    }
    starts->append(start);
    return lines;
}

// The file as a sequence of whole records, or the reason it is not one. Opening blocks and
// response records belong to the master and send files, notes records to all three; only
// the master file has the question-number lines.
inline ParsedFile parse(const QByteArray &bytes, FileKind kind)
{
    ParsedFile parsed;
    QString cutInsideALine;
    QList<qsizetype> starts;
    const QByteArrayList lines = splitLines(bytes, &cutInsideALine, &starts);

    qsizetype i = 0;
    qsizetype recordStart = 0;
    const auto fail = [&](const QString &why) {
        parsed.error = QStringLiteral("record %1, line %2: %3")
                           .arg(parsed.records.size() + 1)
                           .arg(i + 1)
                           .arg(why);
        parsed.wholeBytes = starts[recordStart];
        return parsed;
    };
    const auto have = [&](qsizetype n) { return i + n <= lines.size(); };
    // Lines up to the next line equal to `rule`, joined again with CR LF; i ends on the rule.
    const auto until = [&](const QByteArray &rule, QByteArray *joined) {
        QByteArrayList part;
        while (i < lines.size() && lines[i] != rule)
            part.append(lines[i++]);
        *joined = part.join("\r\n");
        return i < lines.size();
    };

    while (i < lines.size()) {
        recordStart = i;
        Record record;
        if (lines[i] != openingRule) {
            if (kind == FileKind::Notes)
                return fail(QStringLiteral("the notes file holds only notes records"));
            if (!have(5))
                return fail(QStringLiteral("opening block cut short"));
            const QByteArray &codeLine = lines[i];
            if (codeLine.isEmpty())
                return fail(QStringLiteral("empty code line"));
            for (const char c : codeLine) {
                if (uchar(c) < 66)
                    return fail(QStringLiteral("code line holds a character below code 66"));
            }
            if (!lines[i + 1].startsWith("assignment #") ||
                !matches("^\\d\\d\\d\\.", lines[i + 2]) || lines[i + 3] != "bexlorin" ||
                !matches("^\\d\\d-\\d\\d-\\d\\d\\d\\d$", lines[i + 4]))
                return fail(QStringLiteral("not an opening block"));
            record.kind = Record::Kind::Opening;
            record.lines = lines.mid(i, 5);
            i += 5;
            parsed.records.append(record);
            continue;
        }

        ++i;
        if (!have(1) || !matches("^ {36}\\d\\d:\\d\\d:\\d\\d$", lines[i]))
            return fail(QStringLiteral("missing time stamp"));
        ++i;
        const bool notes =
            have(1) && matches("^ {36}\\d\\d-\\d\\d-\\d\\d\\d\\d\\d\\d:\\d\\d:\\d\\d$", lines[i]);
        if (notes) {
            ++i;
        } else if (kind == FileKind::Notes) {
            return fail(QStringLiteral("missing date-and-time stamp"));
        } else if (kind == FileKind::Master) {
            if (!have(3) || !lines[i].isEmpty() || !lines[i + 1].isEmpty() ||
                !matches("^`questionNumber -?\\d+ $", lines[i + 2]))
                return fail(QStringLiteral("missing question-number lines"));
            i += 3;
        }
        if (!until(openingRule, &record.entry))
            return fail(QStringLiteral("record cut short in its current entry"));
        ++i;
        if (!have(1))
            return fail(QStringLiteral("record cut short after its second rule"));
        if (notes ? !lines[i].startsWith(notesLabel) : lines[i] != responseHead)
            return fail(notes ? QStringLiteral("missing notes label")
                              : QStringLiteral("missing response head"));
        if (!until(closingRule, &record.body))
            return fail(QStringLiteral("record cut short: no closing rule"));
        ++i;
        record.kind = notes ? Record::Kind::Notes : Record::Kind::Response;
        parsed.records.append(record);
    }
    parsed.wholeBytes = starts.last();
    parsed.error = cutInsideALine;
    return parsed;
}

} // namespace recordreader
