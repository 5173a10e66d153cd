// SPDX-License-Identifier: MIT
#include "report/roster/roster.h"

#include "platform/inputfiles.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

namespace report {

namespace {

enum class Title { Other, FullName, First, Last, Id, Participant };

// A header's column titles as the sites write them, in any case and with "_" for a blank.
Title titleOf(const QString &field)
{
    const QString title =
        QString(field).remove(QChar(0xFEFF)).replace(u'_', u' ').simplified().toCaseFolded();
    static const QStringList fullNames{QStringLiteral("student"), QStringLiteral("name"),
                                       QStringLiteral("full name"), QStringLiteral("fullname"),
                                       QStringLiteral("student name")};
    static const QStringList firstNames{QStringLiteral("first name"), QStringLiteral("firstname"),
                                        QStringLiteral("given name"), QStringLiteral("given names"),
                                        QStringLiteral("first")};
    static const QStringList lastNames{QStringLiteral("last name"), QStringLiteral("lastname"),
                                       QStringLiteral("surname"), QStringLiteral("family name"),
                                       QStringLiteral("last")};
    static const QStringList ids{QStringLiteral("id"),
                                 QStringLiteral("id number"),
                                 QStringLiteral("sis user id"),
                                 QStringLiteral("sis login id"),
                                 QStringLiteral("username"),
                                 QStringLiteral("user name"),
                                 QStringLiteral("student id"),
                                 QStringLiteral("user id"),
                                 QStringLiteral("email address"),
                                 QStringLiteral("email")};
    if (fullNames.contains(title))
        return Title::FullName;
    if (firstNames.contains(title))
        return Title::First;
    if (lastNames.contains(title))
        return Title::Last;
    if (ids.contains(title))
        return Title::Id;
    // A grading worksheet's "Participant 9101": the number its submissions' folders carry.
    return title == u"identifier" ? Title::Participant : Title::Other;
}

// The rows a gradebook export holds beside its students.
bool isGradebookRow(const QString &name)
{
    return name.compare(u"Points Possible", Qt::CaseInsensitive) == 0 ||
           name.compare(u"Muted", Qt::CaseInsensitive) == 0;
}

QString participantNumber(const QString &identifier)
{
    static const QRegularExpression number(QStringLiteral("(\\d+)$"));
    return number.match(identifier).captured(1);
}

bool blank(const QStringList &fields)
{
    return std::all_of(fields.begin(), fields.end(),
                       [](const QString &field) { return field.trimmed().isEmpty(); });
}

} // namespace

// Nothing but delimiters, quotes and blanks in any of its columns.
bool Roster::blankRow(qsizetype row) const
{
    const QString text = table_.text(table_.rows()[row].text);
    return std::all_of(text.begin(), text.end(), [&](QChar c) {
        return c.isSpace() || c == u'"' || c == table_.delimiter();
    });
}

struct Roster::Columns
{
    qsizetype fullName = -1;
    qsizetype first = -1;
    qsizetype last = -1;
    QList<qsizetype> ids;
    QList<qsizetype> participants;
    qsizetype width = 1; // fields of a row that are read: up to the last column used
};

std::optional<Roster> Roster::read(const QString &path, QString *error)
{
    QFile file(path);
    if (const QString reason = platform::inputfiles::openForReading(path, file);
        !reason.isEmpty()) {
        *error = QStringLiteral("%1: %2").arg(path, reason);
        return std::nullopt;
    }
    const QByteArray bytes = file.read(RosterTable::sizeLimit + 1);
    if (file.error() != QFile::NoError) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    if (bytes.size() > RosterTable::sizeLimit) {
        *error = QStringLiteral("%1: larger than %2 MiB, which no class's roster is")
                     .arg(path)
                     .arg(RosterTable::sizeLimit / (1024 * 1024));
        return std::nullopt;
    }
    return fromBytes(path, bytes, error);
}

std::optional<Roster> Roster::fromBytes(const QString &path, QByteArray bytes, QString *error)
{
    std::optional<RosterTable> table = RosterTable::fromBytes(std::move(bytes), error);
    if (!table) {
        *error = QStringLiteral("%1: %2").arg(path, *error);
        return std::nullopt;
    }
    Roster roster;
    roster.path_ = path;
    roster.table_ = std::move(*table);
    for (const qint64 line : roster.table_.unclosedQuotes())
        roster.notices_.append({path, line,
                                QStringLiteral("a quoted field opens on this line and is never "
                                               "closed: the line was read alone")});
    Columns columns;
    for (qsizetype row = roster.readHeader(columns); row < roster.table_.rows().size(); ++row)
        roster.readRow(row, columns);
    return roster;
}

// The first line that is not empty is the header when it names a column the roster is read
// by; otherwise the file is a list with the name first on each line. The first row of students.
qsizetype Roster::readHeader(Columns &columns)
{
    columns.fullName = 0;
    for (qsizetype row = 0; row < table_.rows().size(); ++row) {
        const QStringList fields = table_.fields(row);
        if (blank(fields) || fields.first().trimmed().startsWith(u'#'))
            continue;
        QList<Title> titles;
        for (const QString &field : fields)
            titles.append(titleOf(field));
        if (std::all_of(titles.begin(), titles.end(),
                        [](Title title) { return title == Title::Other; }))
            return row;
        headerRow_ = row;
        header_ = fields;
        columns.fullName = titles.indexOf(Title::FullName);
        columns.first = titles.indexOf(Title::First);
        columns.last = titles.indexOf(Title::Last);
        for (qsizetype c = 0; c < titles.size(); ++c) {
            if (titles[c] == Title::Id)
                columns.ids.append(c);
            else if (titles[c] == Title::Participant)
                columns.participants.append(c);
        }
        const QList<qsizetype> used =
            QList<qsizetype>{columns.fullName, columns.first, columns.last} + columns.ids +
            columns.participants;
        columns.width = *std::max_element(used.begin(), used.end()) + 1;
        return row + 1;
    }
    return table_.rows().size();
}

void Roster::readRow(qsizetype row, const Columns &columns)
{
    const QStringList fields = table_.fields(row, columns.width);
    if (blankRow(row) || fields.first().trimmed().startsWith(u'#'))
        return;
    RosterEntry entry;
    entry.row = row;
    entry.line = table_.rows()[row].line;
    QString named;
    if (columns.fullName >= 0) {
        entry.name = fields.value(columns.fullName).replace(u'_', u' ').simplified();
        // "Lee, Ann" is Ann Lee.
        const qsizetype comma = entry.name.indexOf(u',');
        named = comma < 0 ? entry.name : entry.name.mid(comma + 1) + u' ' + entry.name.left(comma);
    } else {
        entry.name = (fields.value(columns.first) + u' ' + fields.value(columns.last)).simplified();
        named = entry.name;
    }
    if (isGradebookRow(entry.name)) {
        if (entry.name.compare(u"Points Possible", Qt::CaseInsensitive) == 0 && pointsRow_ < 0)
            pointsRow_ = row;
        return;
    }
    entry.key = key(named);
    for (const qsizetype column : columns.ids) {
        if (const QString id = fields.value(column).trimmed(); !id.isEmpty())
            entry.ids.append(id);
    }
    for (const qsizetype column : columns.participants) {
        if (const QString id = participantNumber(fields.value(column).trimmed()); !id.isEmpty())
            entry.ids.append(id);
    }
    if (entry.key.isEmpty() && entry.ids.isEmpty()) {
        notices_.append({path_, entry.line,
                         QStringLiteral("neither a name nor an id: not read as a student"), true});
        return;
    }
    if (entry.name.isEmpty())
        entry.name = entry.ids.first();
    entries_.append(entry);
}

QString Roster::key(QStringView name)
{
    const QString decomposed = name.toString().normalized(QString::NormalizationForm_KD);
    QString key;
    key.reserve(decomposed.size());
    for (const char32_t c : decomposed.toUcs4()) {
        if (QChar::isLetterOrNumber(c)) // accents, decomposed, are marks
            key += QString::fromUcs4(&c, 1);
    }
    return key.toCaseFolded();
}

} // namespace report
