// SPDX-License-Identifier: MIT
#pragma once

#include "report/recordtypes.h"
#include "report/roster/rostertable.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace report {

// One student the roster lists.
struct RosterEntry
{
    qsizetype row = 0; // of the roster's table
    qint64 line = 0;   // of the file
    QString name;      // as the roster writes it, shown in the matrix
    QString key;       // the name to match, "Last, First" turned round
    QStringList ids;   // the values of its id columns, as written
};

// The students a class should have, read from a file as a course site exports it: a gradebook
// or participants export (a header row naming a "Student", "Name" or "Full name" column, or
// "First name" and "Last name" columns, and id columns such as "ID", "Username" or "Email
// address"), a grading worksheet, or a plain list with one name a line. UTF-8 with or without
// a byte-order mark, Windows-1252, or UTF-16; comma, semicolon or tab between fields.
class Roster
{
public:
    static std::optional<Roster> read(const QString &path, QString *error);
    static std::optional<Roster> fromBytes(const QString &path, QByteArray bytes, QString *error);

    // Names as in file names (Kim_O_Doe) or written out (Kim O Doe, Zoë, ZOE): only letters
    // and digits count, without their accents or case.
    static QString key(QStringView name);

    const QString &path() const { return path_; }
    const RosterTable &table() const { return table_; }
    const QList<RosterEntry> &entries() const { return entries_; }
    // Lines that could not be used as a student, each said why.
    const QList<Problem> &notices() const { return notices_; }
    // -1 when the file has none.
    qsizetype headerRow() const { return headerRow_; }
    qsizetype pointsRow() const { return pointsRow_; }
    // The columns a header names; empty for a plain list.
    const QStringList &header() const { return header_; }

private:
    struct Columns;
    qsizetype readHeader(Columns &columns);
    void readRow(qsizetype row, const Columns &columns);
    bool blankRow(qsizetype row) const;

    QString path_;
    RosterTable table_;
    QList<RosterEntry> entries_;
    QList<Problem> notices_;
    qsizetype headerRow_ = -1;
    qsizetype pointsRow_ = -1;
    QStringList header_;
};

} // namespace report
