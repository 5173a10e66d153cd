// SPDX-License-Identifier: MIT
#include "records/recordfiles.h"

#include "records/codepage.h"

#include <QDir>

#include <utility>

namespace records {

namespace {

QString shownPath(const QString &path)
{
    return u'"' + QDir::toNativeSeparators(path) + u'"';
}

QString shownPaths(const QStringList &paths)
{
    QStringList shown;
    for (const QString &path : paths)
        shown.append(shownPath(path));
    return shown.join(QStringLiteral(", "));
}

// Plain-text spellings for characters students commonly reach for.
QString plainSpelling(char32_t character)
{
    switch (character) {
    case U'\u03C0':
        return QStringLiteral("pi");
    case U'\u03B8':
        return QStringLiteral("theta");
    case U'\u03B1':
        return QStringLiteral("alpha");
    case U'\u03B2':
        return QStringLiteral("beta");
    case U'\u0394':
    case U'\u03B4':
        return QStringLiteral("delta");
    case U'\u03BB':
        return QStringLiteral("lambda");
    case U'\u03BC':
        return QStringLiteral("mu");
    case U'\u03C1':
        return QStringLiteral("rho");
    case U'\u03C3':
        return QStringLiteral("sigma");
    case U'\u03C9':
        return QStringLiteral("omega");
    case U'\u221A':
        return QStringLiteral("sqrt(...)");
    case U'\u2264':
        return QStringLiteral("<=");
    case U'\u2265':
        return QStringLiteral(">=");
    case U'\u2260':
        return QStringLiteral("<>");
    case U'\u2248':
        return QStringLiteral("approximately");
    case U'\u2192':
        return QStringLiteral("->");
    case U'\u2190':
        return QStringLiteral("<-");
    case U'\u221E':
        return QStringLiteral("infinity");
    case U'\u2212':
        return QStringLiteral("-");
    case U'\u22C5':
    case U'\u2219':
        return QStringLiteral("*");
    default:
        return {};
    }
}

QString characterName(char32_t character)
{
    const QString code =
        QStringLiteral("U+%1").arg(uint(character), 4, 16, QLatin1Char('0')).toUpper();
    return QString::fromUcs4(&character, 1) + QStringLiteral(" (") + code + u')';
}

// "The record files cannot store these characters: π (U+03C0). Please write them in plain
// text, for example "pi" for π"
QString unstorableCharacters(const QList<char32_t> &characters)
{
    QStringList names;
    QStringList spellings;
    for (const char32_t character : characters) {
        names.append(characterName(character));
        const QString plain = plainSpelling(character);
        if (!plain.isEmpty())
            spellings.append(u'"' + plain + QStringLiteral("\" for ") +
                             QString::fromUcs4(&character, 1));
    }
    QString message = QStringLiteral("The record files cannot store these characters: ") +
                      names.join(QStringLiteral(", ")) +
                      QStringLiteral(". Please write them in plain text");
    if (!spellings.isEmpty())
        message += QStringLiteral(", for example ") + spellings.join(QStringLiteral(", "));
    return message;
}

} // namespace

RecordFiles::RecordFiles(QStringList paths)
    : paths_(std::move(paths))
{}

RecordFiles::~RecordFiles()
{
    closeAll();
}

void RecordFiles::closeAll()
{
    files_.clear();
}

std::optional<RecordFailure> RecordFiles::open()
{
    closeAll();
    for (const QString &path : std::as_const(paths_)) {
        auto file = std::make_unique<platform::AppendFile>(path);
        if (const QString reason = file->open(); !reason.isEmpty()) {
            closeAll();
            return RecordFailure{RecordFailure::Kind::Open, {}, path, reason, {}, paths_};
        }
        files_.push_back(std::move(file));
    }
    return std::nullopt;
}

std::optional<RecordFailure> RecordFiles::append(const QStringList &texts)
{
    Q_ASSERT(texts.size() == paths_.size());
    Q_ASSERT(files_.size() == std::size_t(paths_.size()));

    QList<QByteArray> encoded;
    for (const QString &text : texts) {
        const auto bytes = codepage::encode(text);
        if (!bytes) {
            closeAll();
            return checkStorable(texts);
        }
        encoded.append(*bytes);
    }

    QStringList received;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        platform::AppendFile &file = *files_[std::size_t(i)];
        const QString reason = file.appendAndFlush(encoded[i], lineEndBefore);
        if (!reason.isEmpty()) {
            closeAll();
            return RecordFailure{
                RecordFailure::Kind::Write, {}, paths_[i], reason, received, paths_.mid(i)};
        }
        file.close();
        received.append(paths_[i]);
    }
    closeAll();
    return std::nullopt;
}

std::optional<RecordFailure> RecordFiles::openAndAppend(const QStringList &texts)
{
    if (auto refused = checkStorable(texts))
        return refused;
    if (auto failed = open())
        return failed;
    return append(texts);
}

QByteArray lineEndBefore(const QByteArray &tail)
{
    static const QByteArray lineEnd = QByteArrayLiteral("\r\n");
    if (tail.isEmpty() || tail.endsWith(lineEnd))
        return {};
    return lineEnd;
}

std::optional<RecordFailure> checkStorable(const QStringList &texts)
{
    QList<char32_t> characters;
    for (const QString &text : texts) {
        for (const char32_t character : codepage::unstorableCharacters(text)) {
            if (!characters.contains(character))
                characters.append(character);
        }
    }
    if (characters.isEmpty())
        return std::nullopt;
    RecordFailure failure;
    failure.kind = RecordFailure::Kind::Unstorable;
    failure.characters = characters;
    return failure;
}

QString describe(const RecordFailure &failure)
{
    switch (failure.kind) {
    case RecordFailure::Kind::Unstorable:
        return unstorableCharacters(failure.characters) + QStringLiteral(". Nothing was recorded.");
    case RecordFailure::Kind::Open:
        return QStringLiteral("The record file ") + shownPath(failure.path) +
               QStringLiteral(" cannot be opened: ") + failure.reason +
               QStringLiteral(". Nothing was recorded.");
    case RecordFailure::Kind::Write: {
        QString message = QStringLiteral("Writing to the record file ") + shownPath(failure.path) +
                          QStringLiteral(" failed: ") + failure.reason + QStringLiteral(". ");
        if (!failure.received.isEmpty())
            message += QStringLiteral("The record was saved in ") + shownPaths(failure.received) +
                       QStringLiteral(" but not in ") + shownPaths(failure.notReceived) + u'.';
        else
            message += QStringLiteral("Nothing was recorded.");
        return message;
    }
    }
    return {};
}

QString describeRefusedRating(const RecordFailure &failure)
{
    return QStringLiteral("Your rating cannot be recorded as typed. ") +
           unstorableCharacters(failure.characters) +
           QStringLiteral(". Please type the rating again, for example 2. Your response has not "
                          "been recorded yet; it will be recorded with the rating.");
}

} // namespace records
