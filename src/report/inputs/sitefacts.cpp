// SPDX-License-Identifier: MIT
#include "report/inputs/sitefacts.h"

#include <QRegularExpression>
#include <QStringList>

namespace report {

namespace {

// Moodle's "download submissions": "<full name>_<participant id>_assignsubmission_file_", as the
// prefix of a flattened name or as the name of the submission's folder.
SiteFacts moodle(const QString &text, bool folder)
{
    static const QRegularExpression prefix(
        QStringLiteral("^(.+)_(\\d+)_assignsubmission_[a-z]+_$"));
    static const QRegularExpression folderName(
        QStringLiteral("^(.+)_(\\d+)_assignsubmission_[a-z]+_?$"));
    SiteFacts facts;
    const auto match = (folder ? folderName : prefix).match(text);
    if (!match.hasMatch())
        return facts;
    facts.site = SiteFacts::Site::Moodle;
    facts.siteName = match.captured(1);
    facts.userId = match.captured(2);
    return facts;
}

// Canvas's "download submissions": "<lastfirst>[_LATE]_<user id>_<file id>_".
SiteFacts canvas(const QString &text)
{
    static const QRegularExpression prefix(QStringLiteral("^([^_]+)(_LATE)?_(\\d+)_(\\d+)_$"),
                                           QRegularExpression::CaseInsensitiveOption);
    SiteFacts facts;
    const auto match = prefix.match(text);
    if (!match.hasMatch())
        return facts;
    facts.site = SiteFacts::Site::Canvas;
    facts.siteName = match.captured(1);
    facts.late = match.hasCaptured(2);
    facts.userId = match.captured(3);
    facts.fileId = match.captured(4);
    return facts;
}

// Blackboard's "download assignment": "<assignment>_<username>_attempt_<YYYY-MM-DD-hh-mm-ss>_".
SiteFacts blackboard(const QString &text)
{
    static const QRegularExpression prefix(
        QStringLiteral("^(.+)_([^_]+)_attempt_(\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d-\\d\\d)_$"));
    SiteFacts facts;
    const auto match = prefix.match(text);
    if (!match.hasMatch())
        return facts;
    facts.site = SiteFacts::Site::Blackboard;
    facts.username = match.captured(2);
    facts.attempt = match.captured(3);
    return facts;
}

// Letters and digits only, lower case, accents dropped: "Zoë O'Hara" gives "zoeohara".
QString plainLetters(const QString &text)
{
    QString plain;
    for (const QChar c : text.normalized(QString::NormalizationForm_KD)) {
        if (c.isLetterOrNumber())
            plain += c.toLower();
    }
    return plain;
}

} // namespace

SiteFacts SiteFacts::fromPrefix(const QString &prefix)
{
    SiteFacts facts = moodle(prefix, false);
    if (!facts.fromSite())
        facts = canvas(prefix);
    if (!facts.fromSite())
        facts = blackboard(prefix);
    facts.prefix = prefix;
    return facts;
}

SiteFacts SiteFacts::fromFolder(const QString &folderName)
{
    SiteFacts facts = moodle(folderName, true);
    if (facts.fromSite())
        facts.prefix = folderName;
    return facts;
}

bool SiteFacts::agreesWith(const QString &student) const
{
    if (siteName.isEmpty())
        return true;
    const QString site = plainLetters(siteName);
    QStringList words;
    for (const QString &word : student.split(u' ', Qt::SkipEmptyParts))
        words.append(plainLetters(word));
    // Moodle writes "First Last", Canvas "lastfirst": any turn of the words at a blank.
    for (qsizetype turn = 0; turn < qMax<qsizetype>(words.size(), 1); ++turn) {
        if ((words.mid(turn) + words.mid(0, turn)).join(QString()) == site)
            return true;
    }
    return false;
}

QString SiteFacts::siteText() const
{
    switch (site) {
    case Site::Moodle:
        return QStringLiteral("Moodle");
    case Site::Canvas:
        return QStringLiteral("Canvas");
    case Site::Blackboard:
        return QStringLiteral("Blackboard");
    case Site::None:
        break;
    }
    return {};
}

} // namespace report
