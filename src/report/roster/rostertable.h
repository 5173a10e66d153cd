// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace report {

// A roster file as a course site exported it: its encoding, its delimiter and where each row
// stands in its bytes, so that a row can be written back exactly as it came. Positions count
// code units (bytes, or two-byte units in UTF-16) after the byte-order mark. Only the rows'
// places are held; a row's fields are found when asked for.
class RosterTable
{
public:
    enum class Encoding { Utf8, Windows1252, Utf16LE, Utf16BE };

    // A roster lists a class: far less than this, and a larger file is refused unread.
    static constexpr qint64 sizeLimit = 16 * 1024 * 1024;
    // Fields looked at in one row; a gradebook export with every assignment has some hundreds.
    static constexpr qsizetype fieldLimit = 4096;

    struct Span
    {
        qsizetype start = 0;
        qsizetype end = 0;
    };
    struct Row
    {
        Span text;             // the row without its line end
        qsizetype lineEnd = 0; // where its line end ends: the next row's start
        qint64 line = 0;       // the file's line the row starts on, from 1
    };

    // Nothing, with the reason, for bytes that cannot be a roster (UTF-16 cut in half).
    static std::optional<RosterTable> fromBytes(QByteArray bytes, QString *error);

    Encoding encoding() const { return encoding_; }
    QString encodingName() const;
    QChar delimiter() const { return delimiter_; }
    const QList<Row> &rows() const { return rows_; }
    // Where a quoted field was opened and never closed: that row was read as ending at its
    // first line end instead.
    const QList<qint64> &unclosedQuotes() const { return unclosedQuotes_; }

    // The fields of a row, at most `limit` of them: where each stands, and its text unquoted.
    QList<Span> fieldSpans(qsizetype row, qsizetype limit = fieldLimit) const;
    QString text(Span span) const;
    QStringList fields(qsizetype row, qsizetype limit = fieldLimit) const;

    // The file's own bytes: its byte-order mark, and the units of a span.
    QByteArray byteOrderMark() const { return bytes_.left(markSize_); }
    QByteArray raw(qsizetype start, qsizetype end) const;
    // `text` in the file's encoding; only texts every encoding can store are ever asked for.
    QByteArray encode(const QString &text) const;

private:
    char16_t unit(qsizetype i) const;
    qsizetype units() const { return (bytes_.size() - markSize_) / unitSize_; }
    void detectEncoding();
    void detectDelimiter();
    void splitRows();
    qsizetype rowEnd(qsizetype start, bool quotesOpen, bool *closed) const;

    QByteArray bytes_;
    Encoding encoding_ = Encoding::Utf8;
    qsizetype markSize_ = 0;
    qsizetype unitSize_ = 1;
    QChar delimiter_ = u',';
    QList<Row> rows_;
    QList<qint64> unclosedQuotes_;
};

} // namespace report
