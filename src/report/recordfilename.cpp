// SPDX-License-Identifier: MIT
#include "report/recordfilename.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace report {

namespace {

// A browser or mail program saving an attachment a second time names it "name (1).txt" or
// "name-1.txt": the same student.
QString withoutCopyMark(const QString &student)
{
    static const QRegularExpression mark(QStringLiteral("(?: ?\\(\\d{1,3}\\)|-\\d{1,3})$"));
    QString name = student;
    name.remove(mark);
    return name.isEmpty() ? student : name.trimmed();
}

} // namespace

RecordFileName RecordFileName::of(const QString &path)
{
    static const QRegularExpression send(QStringLiteral("^send_(\\d\\d)(\\d\\d)(.*)\\.txt$"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression other(QStringLiteral("^(masterFile|notes)_(.*)\\.txt$"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QString name = QFileInfo(path).fileName();
    RecordFileName parsed;
    if (const auto match = send.match(name); match.hasMatch()) {
        parsed.kind = RecordParser::FileKind::Send;
        parsed.monthDay = match.captured(1) + u'-' + match.captured(2);
        parsed.student = match.captured(3);
    } else if (const auto match = other.match(name); match.hasMatch()) {
        parsed.kind = match.captured(1).compare(u"notes", Qt::CaseInsensitive) == 0
                          ? RecordParser::FileKind::Notes
                          : RecordParser::FileKind::Master;
        parsed.student = match.captured(2);
    } else {
        parsed.student = QFileInfo(path).completeBaseName();
    }
    parsed.student.replace(u'_', u' ');
    parsed.student = withoutCopyMark(parsed.student);
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
