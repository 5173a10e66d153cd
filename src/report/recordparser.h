// SPDX-License-Identifier: MIT
#pragma once

#include "report/linesource.h"
#include "report/lookahead.h"
#include "report/recordlayout.h"
#include "report/recordtypes.h"

#include <QString>

#include <functional>
#include <memory>

class QIODevice;

namespace report {

class QuestionIndex;

// Reads one record file from start to end and hands on each run, record and problem as soon
// as it is complete. Records are read as the inverse of the drill program's writer (see
// RecordLayout): a record's typed text runs to the first closing rule its layout allows after
// which the next record or run (or the end of the file) follows; within the text, only a
// whole record or run as the program writes it ends the text early (a crash cut the record
// short there); anything else is text as typed. It holds the record being read and some
// look-ahead (bounded), never the file. Lines that fit no record, records cut short and
// opening blocks that do not add up are reported with their line numbers and the reading goes
// on with the next record.
class RecordParser
{
public:
    enum class FileKind { Master, Send, Notes, Other };

    struct Handlers
    {
        std::function<void(const Run &)> run;
        std::function<void(const Run &, Record &&)> record;
        std::function<void(const Problem &)> problem;
    };

    // `fileName` names the file in problems; `expectedDate` ("mm-dd", from a send file's name)
    // is what every opening block's date must agree with, empty for no check. `readSize` is
    // how much is asked of the device at a time; what is read does not depend on it.
    RecordParser(QIODevice &device, const QString &fileName, FileKind kind,
                 const QuestionIndex &index, QString expectedDate = {},
                 qsizetype lineLimit = LineSource::defaultLineLimit,
                 qsizetype readSize = LineSource::defaultReadSize);

    void parse(const Handlers &handlers);
    // Without the text, records carry no response (only whether it is blank): for outputs that
    // show none, decoding it would be most of the work.
    void setKeepText(bool keep) { keepText_ = keep; }

    const LineSource &source() const { return ahead_.source(); }

    ~RecordParser();

    struct Reading;
    struct Body;
    class JoinedLines;

private:
    LineBytes bytesOf(const LineSource::Line &line) const { return source().bytes(line); }
    LineSource::Line take();
    bool startsRecord(qsizetype at);
    bool breaksBetweenRecords(qsizetype at);
    bool startsPartialStart(qsizetype at);

    void parseOpeningBlock(bool withCodeLine);
    void readCodeLine(bool withCodeLine, QList<Problem> &found);
    void readDate(QList<Problem> &found);
    void skipIncomplete(const QString &what);
    void skipLinesThatFitNoRecord();
    void parseRecord();
    void readStamps(Reading &reading, RecordLayout::Form form);
    bool readEntry(Reading &reading, const std::optional<RecordLayout::Start> &start);
    bool readHead(Reading &reading);
    bool readBody(Reading &reading, const std::optional<RecordLayout::Start> &start);
    void takeBodyLine(Reading &reading, Body &body);
    bool closeBody(Reading &reading, Body &body);
    void finishRecord(Record &record);
    void checkTimeOrder(const Record &record);
    void reportIncomplete(const Record &record, qint64 lastLine, const QString &missing);
    void reportAfterText(qint64 first, qint64 last, const QString &text, bool recordStart);
    void reportFitNoRecord(qint64 first, qint64 last, const QString &text);
    void problem(qint64 line, const QString &text, bool notice = false, qint64 lastLine = 0);
    void reportFormat();

    LookAhead ahead_;
    QString fileName_;
    FileKind kind_;
    const QuestionIndex &index_;
    RecordLayout layout_;
    QString expectedDate_;
    const Handlers *handlers_ = nullptr;
    Run run_;
    // The recorded line of the record being read, and its typed text while it is read: the
    // file's bytes they still stand on are kept.
    std::unique_ptr<JoinedLines> entry_;
    JoinedLines *body_ = nullptr;
    bool haveRun_ = false;
    bool reportedNoRun_ = false;
    bool keepText_ = true;
    bool responseRead_ = false; // the first one tells a renamed file's form
    // The time stamp of the run's last record, and its line, for records that run backwards.
    QString lastTime_;
    qint64 lastTimeLine_ = 0;
};

} // namespace report
