// SPDX-License-Identifier: MIT
#include "report/recordfilename.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace report {

namespace {

// A browser or mail program saving an attachment a second time names it "name (1).txt" or
// "name-1.txt", and Canvas names a resubmission so: the same student.
QString withoutCopyMark(const QString &student, int *number)
{
    static const QRegularExpression mark(QStringLiteral("(?: ?\\((\\d{1,3})\\)|-(\\d{1,3}))$"));
    const auto match = mark.match(student);
    if (!match.hasMatch() || match.capturedStart() == 0)
        return student;
    *number = (match.hasCaptured(1) ? match.captured(1) : match.captured(2)).toInt();
    return student.left(match.capturedStart()).trimmed();
}

// Where the program's own name begins, whatever a course site put before it: at the start or
// after a "_" or blank that ends the site's part.
const QRegularExpression &programPart()
{
    static const QRegularExpression part(
        QStringLiteral("(?:^|(?<=[_ ]))(?:send_(\\d\\d)(\\d\\d)|(masterFile|notes)_)(.*)\\.txt$"),
        QRegularExpression::CaseInsensitiveOption);
    return part;
}

} // namespace

RecordFileName RecordFileName::of(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    RecordFileName parsed;
    if (const auto match = programPart().match(name); match.hasMatch()) {
        if (match.hasCaptured(1)) {
            parsed.kind = RecordParser::FileKind::Send;
            parsed.monthDay = match.captured(1) + u'-' + match.captured(2);
        } else {
            parsed.kind = match.captured(3).compare(u"notes", Qt::CaseInsensitive) == 0
                              ? RecordParser::FileKind::Notes
                              : RecordParser::FileKind::Master;
        }
        parsed.student = match.captured(4);
        parsed.written = name.mid(match.capturedStart());
        const QString prefix = name.left(match.capturedStart());
        parsed.site = prefix.isEmpty() ? SiteFacts::fromFolder(info.dir().dirName())
                                       : SiteFacts::fromPrefix(prefix);
    } else {
        parsed.student = info.completeBaseName();
        parsed.written = name;
    }
    parsed.student.replace(u'_', u' ');
    parsed.student = withoutCopyMark(parsed.student, &parsed.site.resubmission);
    return parsed;
}

QString RecordFileName::kindText() const
{
    switch (kind) {
    case RecordParser::FileKind::Master:
        return QStringLiteral("master");
    case RecordParser::FileKind::Send:
        return QStringLiteral("send");
    case RecordParser::FileKind::Notes:
        return QStringLiteral("notes");
    case RecordParser::FileKind::Other:
        break;
    }
    return QStringLiteral("other");
}

} // namespace report
