// SPDX-License-Identifier: MIT
#pragma once

#include "report/linesource.h"
#include "report/recordtypes.h"

#include <QString>

#include <array>
#include <functional>

class QIODevice;

namespace report {

class QuestionIndex;

// Reads one record file from start to end and hands on each run, record and problem as soon
// as it is complete; it holds the record being read and a few lines of look-ahead, never the
// file. Lines that fit no record, records cut short and opening blocks that do not add up are
// reported with their line numbers and the reading goes on with the next record.
class RecordParser
{
public:
    enum class FileKind { Master, Send, Notes, Other };

    struct Handlers
    {
        std::function<void(const Run &)> run;
        std::function<void(const Run &, const Record &)> record;
        std::function<void(const Problem &)> problem;
    };

    // `fileName` names the file in problems; `expectedDate` ("mm-dd", from a send file's name)
    // is what every opening block's date must agree with, empty for no check.
    RecordParser(QIODevice &device, const QString &fileName, FileKind kind,
                 const QuestionIndex &index, QString expectedDate = {});

    void parse(const Handlers &handlers);

    const LineSource &source() const { return source_; }

private:
    const LineSource::Line *peek(qsizetype ahead);
    LineSource::Line take();
    bool startsRecord(qsizetype ahead);
    bool startsOpeningBlock(qsizetype ahead, bool *withCodeLine);
    bool breaksRecord(qsizetype ahead);

    void parseOpeningBlock(bool withCodeLine);
    void skipIncompleteOpeningBlock();
    void skipIncompleteRecordStart();
    void parseRecord();
    void finishRecord(Record &record);
    void reportIncomplete(const Record &record, qint64 lastLine, const char *where);
    void problem(qint64 line, const QString &text, bool notice = false);
    void reportFormat();

    LineSource source_;
    QString fileName_;
    FileKind kind_;
    const QuestionIndex &index_;
    QString expectedDate_;
    const Handlers *handlers_ = nullptr;
    // Look-ahead: a few lines in a ring, so that no line costs an allocation of its own.
    std::array<LineSource::Line, 8> ahead_;
    qsizetype aheadFirst_ = 0;
    qsizetype aheadCount_ = 0;
    bool sourceDone_ = false;
    Run run_;
    QByteArray entry_; // the recorded line of the record being read, as bytes
    bool haveRun_ = false;
    bool reportedNoRun_ = false;
};

} // namespace report
