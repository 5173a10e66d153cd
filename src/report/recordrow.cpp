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
            QStringLiteral("remark")};
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

} // namespace report::recordrow
