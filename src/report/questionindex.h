// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMultiHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace report {

// The built-in assignments seen from the records: which question a recorded line belongs to.
// A record holds the line-store entry that was shown (a question entry with its marker, a
// worked answer without it, or the closing line, which follows the last question).
class QuestionIndex
{
public:
    enum class EntryKind { Question, Answer, Closing };

    struct Place
    {
        int assignment = 0;
        int question = 0;
        EntryKind kind = EntryKind::Question;
        QString text; // the entry as a record holds it
    };

    // `content`: line-store entries in store order, as bank::assignmentContent() gives them.
    explicit QuestionIndex(const QStringList &content);

    // Trailing blanks of each line are ignored, since editors strip them. Where the same text
    // stands in more than one assignment, the place in `assignment` is taken.
    std::optional<Place> find(const QString &recordedLine, int assignment = 0) const;

    // The same for a recorded line as the file holds it, in Windows-1252 or UTF-8 bytes, taken
    // exactly; nothing when it is not found so (then decode it and ask find()).
    std::optional<Place> findBytes(QByteArrayView recordedLine, int assignment = 0) const;

    int questionCount(int assignment) const;
    // The prompt without marker, number and the first question's count sentence.
    QString prompt(int assignment, int question) const;
    QString headLine(int assignment) const;

    // An entry's bytes, hashed by their length and their ends only: entries differ there, and
    // a record's entry, most of a record file's bytes, is then read once, by the comparison.
    struct EntryBytes
    {
        QByteArray bytes;
        friend bool operator==(const EntryBytes &a, const EntryBytes &b)
        {
            return a.bytes == b.bytes;
        }
        friend size_t qHash(const EntryBytes &entry, size_t seed) noexcept;
    };

private:
    static QString key(QStringView text);
    void add(const QString &recorded, int assignment, int question, EntryKind kind);

    QMultiHash<QString, Place> places_; // text without trailing blanks -> places
    QMultiHash<QString, Place> exact_;
    QMultiHash<EntryBytes, Place> exactBytes_;
    QHash<int, QStringList> prompts_;
    QHash<int, QString> heads_;
};

} // namespace report
