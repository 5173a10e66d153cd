// SPDX-License-Identifier: MIT
#pragma once

#include "report/recordtypes.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

struct lxw_workbook;
struct lxw_worksheet;

namespace report {

struct QuestionStatistics;
struct RunSummary;

// The same rows as the CSV in an Office Open XML workbook, for spreadsheet programs: every
// text a student controls is a string cell, so nothing in it is ever taken for a formula, a
// number or a date ("001" stays "001"); only the numbers the reader works out (code number,
// question, rating) are number cells. Written with libxlsxwriter into a temporary folder and
// then moved into place whole. A cell holds at most 32,767 characters: a longer text is cut
// there, and the row's remark says so (the CSV holds it whole).
class WorkbookWriter
{
public:
    // False in a build without libxlsxwriter.
    static bool available();

    explicit WorkbookWriter(QString path);
    ~WorkbookWriter();
    WorkbookWriter(const WorkbookWriter &) = delete;
    WorkbookWriter &operator=(const WorkbookWriter &) = delete;

    // Empty on success, otherwise the reason.
    QString open();
    void writeHeader();
    void writeRecord(const RunSummary &run, const Record &record, const QString &remark);
    void writeStatistics(const QList<QuestionStatistics> &statistics);
    // Writes the file; empty on success, otherwise the reason.
    QString finish();

    // The sink of recordrow::write.
    void addText(const QString &text);
    void addNumber(std::optional<int> number);

private:
    void endRow();
    void fail(int error);

    QString path_;
    QTemporaryDir folder_;
    lxw_workbook *workbook_ = nullptr;
    lxw_worksheet *sheet_ = nullptr;
    quint32 row_ = 0;
    quint16 column_ = 0;
    bool cut_ = false;
    QString error_;
};

} // namespace report
