// SPDX-License-Identifier: MIT
#pragma once

#include "report/linesource.h"
#include "report/recordtypes.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QIODevice;

namespace report {

class QuestionIndex;

// Reads one record file from start to end and hands on each run, record and problem as soon
// as it is complete. A record is read by its layout, the sequence of parts its kind has (see
// recordparser.cpp); its typed text runs to the closing rule where the layout ends. Text
// typed or pasted into a response that looks like a record or an opening block stays part of
// the response. It holds the record being read and some look-ahead (bounded), never the file.
// Lines that fit no record, records cut short and opening blocks that do not add up are
// reported with their line numbers and the reading goes on with the next record.
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
    // is what every opening block's date must agree with, empty for no check.
    RecordParser(QIODevice &device, const QString &fileName, FileKind kind,
                 const QuestionIndex &index, QString expectedDate = {},
                 qsizetype lineLimit = LineSource::defaultLineLimit);

    void parse(const Handlers &handlers);
    // Without the text, records carry no response (only whether it is blank): for outputs that
    // show none, decoding it would be most of the work.
    void setKeepText(bool keep) { keepText_ = keep; }

    const LineSource &source() const { return source_; }

    ~RecordParser();

    enum class Part;
    struct Reading;
    struct Body;
    class JoinedLines;

private:
    QByteArrayView bytesOf(const LineSource::Line &line) const { return source_.bytes(line); }
    // Pointers it gives stay valid until the look-ahead grows: peek the furthest line first.
    const LineSource::Line *peek(qsizetype ahead)
    {
        // Most looks are at lines already read: those cost no call.
        if (aheadCount_ > ahead)
            return &ahead_[std::size_t((aheadFirst_ + ahead) & aheadMask())];
        return readAhead(ahead);
    }
    const LineSource::Line *readAhead(qsizetype ahead);
    LineSource::Line take();
    bool startsRecord(qsizetype ahead);
    bool startsValidBlock(qsizetype ahead);
    bool startsLooseBlock(qsizetype ahead, bool *withCodeLine);
    bool startsPartialStart(qsizetype ahead);
    bool breaksRecord(qsizetype ahead);
    bool breaksBetweenRecords(qsizetype ahead);
    qint64 pastedThrough(qsizetype ahead);
    bool startsCutRule(qsizetype ahead);
    bool startsLooseRun(qsizetype ahead);

    void parseOpeningBlock(bool withCodeLine);
    void readCodeLine(bool withCodeLine, QList<Problem> &found);
    void readDate(QList<Problem> &found);
    void skipIncomplete(const QString &what);
    void skipLinesThatFitNoRecord();
    void parseRecord();
    bool readPart(Part part, Reading &reading);
    bool readEntry(Reading &reading);
    bool readHead(Reading &reading);
    bool readBody(Reading &reading);
    bool endsBody(Body &body);
    void takeBodyLine(Reading &reading, Body &body, bool first);
    bool closeBody(Reading &reading, Body &body);
    void finishRecord(Record &record);
    void reportIncomplete(const Record &record, qint64 lastLine, const QString &missing);
    void reportFitNoRecord(qint64 first, qint64 last, const QString &text);
    void problem(qint64 line, const QString &text, bool notice = false);
    void reportFormat();

    LineSource source_;
    QString fileName_;
    FileKind kind_;
    const QuestionIndex &index_;
    QString expectedDate_;
    const Handlers *handlers_ = nullptr;
    // Look-ahead: lines in a ring that grows when a look far ahead needs it, so that no line
    // costs an allocation of its own. Its size is a power of two.
    std::vector<LineSource::Line> ahead_;
    qsizetype aheadMask() const { return qsizetype(ahead_.size()) - 1; }
    qsizetype aheadFirst_ = 0;
    qsizetype aheadCount_ = 0;
    qint64 aheadBytes_ = 0;
    bool sourceDone_ = false;
    qint64 genuineThrough_ = 0; // lines looked through for pasted records, found real
    Run run_;
    // The recorded line of the record being read, and its typed text while it is read: the
    // file's bytes they still stand on are kept.
    std::unique_ptr<JoinedLines> entry_;
    JoinedLines *body_ = nullptr;
    bool haveRun_ = false;
    bool reportedNoRun_ = false;
    bool keepText_ = true;
};

} // namespace report
