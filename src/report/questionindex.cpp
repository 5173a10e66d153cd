// SPDX-License-Identifier: MIT
#include "report/questionindex.h"

#include "bank/markup.h"
#include "records/codepage.h"

#include <QRegularExpression>

namespace report {

QString QuestionIndex::key(QStringView text)
{
    QString joined;
    joined.reserve(text.size());
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size() || text[i] == u'\n' || text[i] == u'\r';
        if (!end)
            continue;
        QStringView line = text.mid(lineStart, i - lineStart);
        while (!line.isEmpty() && (line.back() == u' ' || line.back() == u'\t'))
            line.chop(1);
        if (lineStart > 0)
            joined += u'\n';
        joined += line;
        if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n')
            ++i;
        lineStart = i + 1;
    }
    return joined;
}

QuestionIndex::QuestionIndex(const QStringList &content)
{
    static const QRegularExpression head(QStringLiteral("^(\\d\\d\\d)\\.  "));
    static const QRegularExpression numbered(QStringLiteral("^`q(\\d\\d\\d)\\.  (.*)$"),
                                             QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression countSentence(
        QStringLiteral("^There are \\d+ questions and \\d+ summary questions in this "
                       "assignment\\. *\\r\\n\\r\\n"));
    int assignment = 0;
    int question = 0;
    for (const QString &entry : content) {
        if (entry.isEmpty())
            continue;
        if (const auto match = head.match(entry); match.hasMatch()) {
            assignment = match.captured(1).toInt();
            question = 0;
            heads_.insert(assignment, entry);
            continue;
        }
        if (assignment == 0)
            continue;
        if (bank::markup::isQuestion(entry)) {
            const auto match = numbered.match(entry);
            question = match.hasMatch() ? match.captured(1).toInt() : question + 1;
            QString prompt = match.captured(2);
            prompt.remove(countSentence);
            QStringList &prompts = prompts_[assignment];
            while (prompts.size() < question)
                prompts.append(QString());
            prompts[question - 1] = prompt;
            add(entry, assignment, question, EntryKind::Question);
        } else if (bank::markup::isAnswer(entry)) {
            add(entry.mid(2), assignment, question, EntryKind::Answer);
        } else {
            add(entry, assignment, question, EntryKind::Closing);
        }
    }
}

void QuestionIndex::add(const QString &recorded, int assignment, int question, EntryKind kind)
{
    const Place place{assignment, question, kind, recorded};
    places_.insert(key(recorded), place);
    exact_.insert(recorded, place);
    const QByteArray utf8 = recorded.toUtf8();
    exactBytes_.insert({utf8}, place);
    if (const auto windows1252 = records::codepage::encode(recorded);
        windows1252 && *windows1252 != utf8)
        exactBytes_.insert({*windows1252}, place);
}

size_t qHash(const QuestionIndex::EntryBytes &entry, size_t seed) noexcept
{
    constexpr qsizetype end = 64;
    const QByteArrayView bytes(entry.bytes);
    if (bytes.size() <= 2 * end)
        return qHashMulti(seed, bytes.size(), qHashBits(bytes.data(), std::size_t(bytes.size())));
    return qHashMulti(seed, bytes.size(), qHashBits(bytes.data(), end),
                      qHashBits(bytes.data() + bytes.size() - end, end));
}

std::optional<QuestionIndex::Place> QuestionIndex::findBytes(QByteArrayView recordedLine,
                                                             int assignment) const
{
    const EntryBytes key{QByteArray::fromRawData(recordedLine.data(), recordedLine.size())};
    // One comparison of the whole entry, for all its places.
    const auto [first, last] = exactBytes_.equal_range(key);
    std::optional<Place> chosen;
    for (auto it = first; it != last; ++it) {
        if (!chosen || it->assignment == assignment)
            chosen = *it;
    }
    return chosen;
}

std::optional<QuestionIndex::Place> QuestionIndex::find(const QString &recordedLine,
                                                        int assignment) const
{
    // Some worked answers read the same in two assignments: the run's own comes first. The
    // text as the drill program wrote it is looked up before the text without trailing blanks.
    const auto pick = [assignment](const QMultiHash<QString, Place> &places,
                                   const QString &text) -> std::optional<Place> {
        std::optional<Place> chosen;
        for (auto it = places.constFind(text); it != places.constEnd() && it.key() == text; ++it) {
            if (!chosen || it->assignment == assignment)
                chosen = *it;
        }
        return chosen;
    };
    if (const auto place = pick(exact_, recordedLine))
        return place;
    return pick(places_, key(recordedLine));
}

int QuestionIndex::questionCount(int assignment) const
{
    return int(prompts_.value(assignment).size());
}

QString QuestionIndex::prompt(int assignment, int question) const
{
    return prompts_.value(assignment).value(question - 1);
}

QString QuestionIndex::headLine(int assignment) const
{
    return heads_.value(assignment);
}

} // namespace report
