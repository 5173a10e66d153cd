// SPDX-License-Identifier: MIT
#include "report/csvwriter.h"

#include "report/gradebook.h"
#include "report/recordrow.h"

#include <QIODevice>

#include <charconv>
#include <cstring>

namespace report {

CsvWriter::CsvWriter(QIODevice &device)
    : device_(device)
{}

QByteArray CsvWriter::field(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    bool quote = false;
    qsizetype quotes = 0;
    for (const char c : bytes) {
        quote = quote || c == ',' || c == '\r' || c == '\n';
        quotes += c == '"' ? 1 : 0;
    }
    if (!quote && quotes == 0)
        return bytes;
    QByteArray quoted;
    quoted.reserve(bytes.size() + quotes + 2);
    quoted += '"';
    for (const char c : bytes) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    quoted += '"';
    return quoted;
}

QString CsvWriter::kindText(RecordKind kind)
{
    return recordrow::kindText(kind);
}

// Fields are encoded straight into the row, and quoted there when they need it.
// Eight bytes at a time: most fields hold none of the four characters.
bool CsvWriter::needsQuotes(QByteArrayView bytes)
{
    constexpr quint64 ones = 0x0101010101010101ull;
    const auto holds = [](quint64 word, uchar c) {
        const quint64 x = word ^ (ones * c);
        return ((x - ones) & ~x & (ones << 7)) != 0;
    };
    const char *data = bytes.data();
    qsizetype i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, 8);
        if (holds(word, ',') || holds(word, '"') || holds(word, '\r') || holds(word, '\n'))
            return true;
    }
    for (; i < bytes.size(); ++i) {
        const char c = data[i];
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    }
    return false;
}

void CsvWriter::addNumber(std::optional<int> number)
{
    if (fieldInRow_)
        row_ += ',';
    fieldInRow_ = true;
    if (!number)
        return;
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, *number);
    const qsizetype start = row_.size();
    row_.resize(start + (written.ptr - digits));
    std::memcpy(row_.data() + start, digits, std::size_t(written.ptr - digits));
}

void CsvWriter::addText(QStringView text)
{
    if (fieldInRow_)
        row_ += ',';
    fieldInRow_ = true;
    const qsizetype start = row_.size();
    row_.resize(start + text.size() * 3 + 2);
    char *data = row_.data();
    char *end = encoder_.appendToBuffer(data + start + 1, text);
    qsizetype length = end - (data + start + 1);
    if (!needsQuotes(QByteArrayView(data + start + 1, length))) {
        std::memmove(data + start, data + start + 1, std::size_t(length));
        row_.resize(start + length);
        return;
    }
    // Commas and line breaks ask for quotes, quotes are doubled.
    bool quote = false;
    qsizetype quotes = 0;
    for (const char *c = data + start + 1; c != end; ++c) {
        switch (*c) {
        case ',':
        case '\r':
        case '\n':
            quote = true;
            break;
        case '"':
            ++quotes;
            break;
        default:
            break;
        }
    }
    if (!quote && quotes == 0) {
        std::memmove(data + start, data + start + 1, std::size_t(length));
        row_.resize(start + length);
        return;
    }
    row_.resize(start + length + quotes + 2);
    data = row_.data();
    // From the back, so that doubling a quote never overwrites what is still to be moved.
    char *to = data + start + length + quotes + 1;
    *to-- = '"';
    for (const char *from = data + start + length; from > data + start; --from) {
        *to-- = *from;
        if (*from == '"')
            *to-- = '"';
    }
    *to = '"';
}

void CsvWriter::endRow()
{
    row_ += "\r\n";
    fieldInRow_ = false;
    if (row_.size() >= 64 * 1024)
        flushRows();
}

void CsvWriter::flushRows()
{
    if (device_.write(row_) != row_.size())
        failed_ = true;
    row_.truncate(0); // keeps the storage for the next rows
}

void CsvWriter::writeHeader()
{
    if (device_.write("\xEF\xBB\xBF") != 3)
        failed_ = true;
    for (const QString &header : recordrow::headers())
        addText(header);
    endRow();
}

void CsvWriter::writeRecord(const RunSummary &run, const Record &record, const QString &remark)
{
    recordrow::write(*this, run, record, remark);
    endRow();
}

bool CsvWriter::finish()
{
    flushRows();
    return !failed_;
}

} // namespace report
