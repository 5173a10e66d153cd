// SPDX-License-Identifier: MIT
#include "report/recordrow.h"

namespace report::recordrow {

QStringList headers()
{
    return {QStringLiteral("student"),
            QStringLiteral("file"),
            QStringLiteral("run date"),
            QStringLiteral("assignment"),
            QStringLiteral("code number"),
            QStringLiteral("question"),
            QStringLiteral("kind"),
            QStringLiteral("time"),
            QStringLiteral("rating as typed"),
            QStringLiteral("rating"),
            QStringLiteral("response"),
            QStringLiteral("remark"),
            QStringLiteral("notes date and time")};
}

QString kindText(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Question:
        return QStringLiteral("question");
    case RecordKind::Answer:
        return QStringLiteral("answer");
    case RecordKind::Note:
        return QStringLiteral("note");
    case RecordKind::Response:
        break;
    }
    return QStringLiteral("response");
}

QString notesStamp(const QString &stamp)
{
    if (stamp.size() == 18 && stamp[2] == u'-' && stamp[5] == u'-' && stamp[12] == u':')
        return stamp.left(10) + u' ' + stamp.mid(10);
    return stamp;
}

} // namespace report::recordrow
