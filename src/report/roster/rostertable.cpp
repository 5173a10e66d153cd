// SPDX-License-Identifier: MIT
#include "report/roster/rostertable.h"

#include "records/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

namespace report {

namespace {

// UTF-16 written without a byte-order mark still shows itself: every other byte of its
// ASCII is zero, which UTF-8 and Windows-1252 text never holds.
std::optional<RosterTable::Encoding> unmarkedUtf16(const QByteArray &bytes)
{
    const qsizetype sample = qMin<qsizetype>(bytes.size() & ~qsizetype(1), 512);
    if (sample < 2)
        return std::nullopt;
    std::array<qsizetype, 2> zeros{};
    for (qsizetype i = 0; i < sample; ++i)
        zeros[std::size_t(i % 2)] += bytes[i] == 0 ? 1 : 0;
    const qsizetype pairs = sample / 2;
    if (zeros[0] == 0 && zeros[1] * 10 >= pairs * 4)
        return RosterTable::Encoding::Utf16LE;
    if (zeros[1] == 0 && zeros[0] * 10 >= pairs * 4)
        return RosterTable::Encoding::Utf16BE;
    return std::nullopt;
}

bool validUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QStringConverter::Encoding converterOf(RosterTable::Encoding encoding)
{
    switch (encoding) {
    case RosterTable::Encoding::Utf16LE:
        return QStringConverter::Utf16LE;
    case RosterTable::Encoding::Utf16BE:
        return QStringConverter::Utf16BE;
    case RosterTable::Encoding::Utf8:
    case RosterTable::Encoding::Windows1252:
        break;
    }
    return QStringConverter::Utf8;
}

// A quoted field as a spreadsheet writes it: doubled quotes inside; what follows the closing
// quote is kept as it stands.
QString unquoted(const QString &field)
{
    if (!field.startsWith(u'"'))
        return field;
    QString text;
    for (qsizetype i = 1; i < field.size(); ++i) {
        if (field[i] != u'"') {
            text += field[i];
        } else if (i + 1 < field.size() && field[i + 1] == u'"') {
            text += u'"';
            ++i;
        } else {
            return text + field.mid(i + 1);
        }
    }
    return text;
}

} // namespace

std::optional<RosterTable> RosterTable::fromBytes(QByteArray bytes, QString *error)
{
    RosterTable table;
    table.bytes_ = std::move(bytes);
    table.detectEncoding();
    if ((table.bytes_.size() - table.markSize_) % table.unitSize_ != 0) {
        *error = QStringLiteral("the file is UTF-16 but ends in the middle of a character");
        return std::nullopt;
    }
    table.detectDelimiter();
    table.splitRows();
    return table;
}

QString RosterTable::encodingName() const
{
    switch (encoding_) {
    case Encoding::Windows1252:
        return QStringLiteral("Windows-1252");
    case Encoding::Utf16LE:
        return QStringLiteral("UTF-16LE");
    case Encoding::Utf16BE:
        return QStringLiteral("UTF-16BE");
    case Encoding::Utf8:
        break;
    }
    return QStringLiteral("UTF-8");
}

void RosterTable::detectEncoding()
{
    if (bytes_.startsWith("\xEF\xBB\xBF")) {
        markSize_ = 3;
    } else if (bytes_.startsWith("\xFF\xFE") || bytes_.startsWith("\xFE\xFF")) {
        encoding_ = bytes_[0] == '\xFF' ? Encoding::Utf16LE : Encoding::Utf16BE;
        markSize_ = 2;
    } else if (const auto utf16 = unmarkedUtf16(bytes_)) {
        encoding_ = *utf16;
    } else if (!validUtf8(bytes_)) {
        // Spreadsheet programs on Windows save "CSV" in the system's code page.
        encoding_ = Encoding::Windows1252;
    }
    const bool utf16 = encoding_ == Encoding::Utf16LE || encoding_ == Encoding::Utf16BE;
    unitSize_ = utf16 ? 2 : 1;
}

char16_t RosterTable::unit(qsizetype i) const
{
    const qsizetype at = markSize_ + i * unitSize_;
    const auto byte = [&](qsizetype k) { return char16_t(uchar(bytes_[at + k])); };
    switch (encoding_) {
    case Encoding::Utf16LE:
        return char16_t(byte(0) | byte(1) << 8);
    case Encoding::Utf16BE:
        return char16_t(byte(0) << 8 | byte(1));
    case Encoding::Utf8:
    case Encoding::Windows1252:
        break;
    }
    return byte(0);
}

// The delimiter is the one the first line (the header, as sites write it) holds most of,
// outside quotes; a list of names holds none and is read as one column.
void RosterTable::detectDelimiter()
{
    const qsizetype n = units();
    qsizetype start = 0;
    while (start < n && (unit(start) == u'\r' || unit(start) == u'\n' || unit(start) == u'#')) {
        if (unit(start) == u'#') {
            while (start < n && unit(start) != u'\n')
                ++start;
        }
        ++start;
    }
    std::array<qsizetype, 3> counts{};
    constexpr std::array<char16_t, 3> candidates{u'\t', u';', u','};
    bool quoted = false;
    for (qsizetype i = start; i < n && (quoted || (unit(i) != u'\r' && unit(i) != u'\n')); ++i) {
        const char16_t c = unit(i);
        quoted = c == u'"' ? !quoted : quoted;
        for (std::size_t k = 0; k < candidates.size(); ++k)
            counts[k] += !quoted && c == candidates[k] ? 1 : 0;
    }
    std::size_t best = 2;
    for (std::size_t k = 0; k < candidates.size(); ++k) {
        if (counts[k] > counts[best])
            best = k;
    }
    delimiter_ = QChar(candidates[best]);
}

// The first line end outside quotes from `start`; with `quotesOpen` false every quote is
// taken as it stands. `closed` tells whether every quote opened was closed.
qsizetype RosterTable::rowEnd(qsizetype start, bool quotesOpen, bool *closed) const
{
    const qsizetype n = units();
    bool quoted = false;
    bool fieldStart = true;
    for (qsizetype i = start; i < n; ++i) {
        const char16_t c = unit(i);
        if (quoted) {
            if (c == u'"' && i + 1 < n && unit(i + 1) == u'"')
                ++i;
            else if (c == u'"')
                quoted = false;
            continue;
        }
        if (c == u'\r' || c == u'\n')
            return i;
        quoted = quotesOpen && fieldStart && c == u'"';
        fieldStart = c == delimiter_.unicode();
    }
    *closed = !quoted;
    return n;
}

void RosterTable::splitRows()
{
    const qsizetype n = units();
    qint64 line = 1;
    for (qsizetype start = 0; start < n;) {
        bool closed = true;
        qsizetype end = rowEnd(start, true, &closed);
        if (!closed) {
            unclosedQuotes_.append(line);
            end = rowEnd(start, false, &closed);
        }
        qsizetype next = end;
        if (next < n && unit(next) == u'\r')
            ++next;
        if (next < n && unit(next) == u'\n' && (next == end || unit(end) == u'\r'))
            ++next;
        rows_.append({{start, end}, next, line});
        for (qsizetype i = start; i < next; ++i) {
            const char16_t c = unit(i);
            line += c == u'\n' || (c == u'\r' && (i + 1 >= n || unit(i + 1) != u'\n')) ? 1 : 0;
        }
        start = next;
    }
}

QList<RosterTable::Span> RosterTable::fieldSpans(qsizetype row, qsizetype limit) const
{
    const Span text = rows_[row].text;
    const bool quotesOpen = !unclosedQuotes_.contains(rows_[row].line);
    QList<Span> spans;
    qsizetype fieldStart = text.start;
    bool quoted = false;
    for (qsizetype i = text.start; i < text.end && spans.size() < limit; ++i) {
        const char16_t c = unit(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.end && unit(i + 1) == u'"')
                ++i;
            else if (c == u'"')
                quoted = false;
        } else if (c == delimiter_.unicode()) {
            spans.append({fieldStart, i});
            fieldStart = i + 1;
        } else {
            quoted = quotesOpen && i == fieldStart && c == u'"';
        }
    }
    if (spans.size() < limit)
        spans.append({fieldStart, text.end});
    return spans;
}

QByteArray RosterTable::raw(qsizetype start, qsizetype end) const
{
    return bytes_.mid(markSize_ + start * unitSize_, (end - start) * unitSize_);
}

QString RosterTable::text(Span span) const
{
    const QByteArray bytes = raw(span.start, span.end);
    if (encoding_ == Encoding::Windows1252)
        return unquoted(records::codepage::decode(bytes));
    QStringDecoder decoder(converterOf(encoding_), QStringDecoder::Flag::Stateless |
                                                       QStringDecoder::Flag::ConvertInitialBom);
    return unquoted(decoder.decode(bytes));
}

QStringList RosterTable::fields(qsizetype row, qsizetype limit) const
{
    QStringList texts;
    for (const Span &span : fieldSpans(row, limit))
        texts.append(text(span));
    return texts;
}

QByteArray RosterTable::encode(const QString &text) const
{
    if (encoding_ == Encoding::Windows1252)
        return records::codepage::encode(text).value_or(QByteArray());
    QStringEncoder encoder(converterOf(encoding_), QStringEncoder::Flag::Stateless);
    return encoder.encode(text);
}

} // namespace report
