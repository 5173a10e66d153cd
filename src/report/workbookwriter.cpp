// SPDX-License-Identifier: MIT
#include "report/workbookwriter.h"

#include "report/classsummary.h"
#include "report/gradebook.h"
#include "report/recordrow.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#ifdef BEXLORIN_HAVE_XLSXWRITER
#include <xlsxwriter.h>
#endif

namespace report {

namespace {

constexpr qsizetype cellLimit = 32767;

} // namespace

#ifdef BEXLORIN_HAVE_XLSXWRITER

bool WorkbookWriter::available()
{
    return true;
}

WorkbookWriter::WorkbookWriter(QString path)
    : path_(std::move(path))
{}

WorkbookWriter::~WorkbookWriter()
{
    if (workbook_)
        workbook_close(workbook_); // only when finish() was not reached; the file is let go
}

QString WorkbookWriter::open()
{
    if (!folder_.isValid())
        return QStringLiteral("no temporary folder for the workbook: %1")
            .arg(folder_.errorString());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE; // rows go to a temporary file as they are written
    const QByteArray temporary = QFile::encodeName(folder_.filePath(QStringLiteral("rows")));
    options.tmpdir = const_cast<char *>(temporary.constData());
    // libxlsxwriter takes the workbook's name in UTF-8 on Windows; Qt's names are UTF-8 on
    // Linux too.
    const QByteArray name = folder_.filePath(QStringLiteral("report.xlsx")).toUtf8();
    QDir().mkpath(folder_.filePath(QStringLiteral("rows")));
    workbook_ = workbook_new_opt(name.constData(), &options);
    sheet_ = workbook_ ? workbook_add_worksheet(workbook_, "records") : nullptr;
    if (!sheet_)
        return QStringLiteral("the workbook cannot be made");
    return {};
}

void WorkbookWriter::fail(int error)
{
    if (error != LXW_NO_ERROR && error_.isEmpty())
        error_ = QString::fromUtf8(lxw_strerror(lxw_error(error)));
}

void WorkbookWriter::addText(const QString &text)
{
    QString cell = text;
    if (cell.size() > cellLimit) {
        cell.truncate(cell.at(cellLimit - 1).isHighSurrogate() ? cellLimit - 1 : cellLimit);
        cut_ = true;
    }
    if (!cell.isEmpty())
        fail(worksheet_write_string(sheet_, row_, column_, cell.toUtf8().constData(), nullptr));
    ++column_;
}

void WorkbookWriter::addNumber(std::optional<int> number)
{
    if (number)
        fail(worksheet_write_number(sheet_, row_, column_, *number, nullptr));
    ++column_;
}

void WorkbookWriter::endRow()
{
    cut_ = false;
    ++row_;
    column_ = 0;
}

void WorkbookWriter::writeHeader()
{
    for (const QString &header : recordrow::headers())
        addText(header);
    endRow();
}

// A text cut for the workbook is said in the row's remark.
void WorkbookWriter::writeRecord(const RunSummary &run, const Record &record, const QString &remark)
{
    recordrow::write(*this, run, record, remark);
    if (cut_) {
        static const auto column = lxw_col_t(recordrow::headers().indexOf(u"remark"));
        const QString note = QStringLiteral("text cut to 32,767 characters here (the CSV holds "
                                            "it whole)");
        fail(worksheet_write_string(
            sheet_, row_, column,
            (remark.isEmpty() ? note : remark + QStringLiteral("; ") + note).toUtf8().constData(),
            nullptr));
    }
    endRow();
}

// The class's statistics per question on a second sheet, the figures as number cells.
void WorkbookWriter::writeStatistics(const QList<QuestionStatistics> &statistics)
{
    lxw_worksheet *sheet = workbook_add_worksheet(workbook_, "questions");
    if (!sheet) {
        error_ = QStringLiteral("the workbook's second sheet cannot be made");
        return;
    }
    const QStringList headers{QStringLiteral("assignment"),
                              QStringLiteral("question"),
                              QStringLiteral("prompt"),
                              QStringLiteral("runs"),
                              QStringLiteral("answered"),
                              QStringLiteral("mean confidence"),
                              QStringLiteral("mean self-critique"),
                              QStringLiteral("share of self-critique 0-1"),
                              QStringLiteral("median minutes")};
    for (qsizetype c = 0; c < headers.size(); ++c)
        fail(worksheet_write_string(sheet, 0, lxw_col_t(c), headers[c].toUtf8().constData(),
                                    nullptr));
    lxw_row_t row = 1;
    for (const QuestionStatistics &question : statistics) {
        const auto number = [&](lxw_col_t column, std::optional<double> value) {
            if (value)
                fail(worksheet_write_number(sheet, row, column, *value, nullptr));
        };
        number(0, question.assignment);
        number(1, question.question);
        fail(worksheet_write_string(sheet, row, 2, question.prompt.toUtf8().constData(), nullptr));
        number(3, question.runs);
        number(4, question.answered);
        number(5, question.meanConfidence);
        number(6, question.meanSelfCritique);
        number(7, question.lowSelfCritique);
        number(8, question.medianMinutes);
        ++row;
    }
}

QString WorkbookWriter::finish()
{
    fail(workbook_close(workbook_));
    workbook_ = nullptr;
    if (!error_.isEmpty())
        return error_;
    QFile made(folder_.filePath(QStringLiteral("report.xlsx")));
    QSaveFile file(path_);
    if (!made.open(QIODevice::ReadOnly))
        return made.errorString();
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    while (!made.atEnd()) {
        const QByteArray chunk = made.read(1 << 20);
        if (chunk.isEmpty() || file.write(chunk) != chunk.size())
            return file.errorString();
    }
    return file.commit() ? QString() : file.errorString();
}

#else

bool WorkbookWriter::available()
{
    return false;
}

WorkbookWriter::WorkbookWriter(QString path)
    : path_(std::move(path))
{}

WorkbookWriter::~WorkbookWriter() = default;

QString WorkbookWriter::open()
{
    return QStringLiteral("this build of bexlorin-report cannot write workbooks");
}

void WorkbookWriter::writeHeader() {}
void WorkbookWriter::writeRecord(const RunSummary &, const Record &, const QString &) {}
void WorkbookWriter::writeStatistics(const QList<QuestionStatistics> &) {}
void WorkbookWriter::addText(const QString &) {}
void WorkbookWriter::addNumber(std::optional<int>) {}
void WorkbookWriter::endRow() {}
void WorkbookWriter::fail(int) {}

QString WorkbookWriter::finish()
{
    return open();
}

#endif

} // namespace report
