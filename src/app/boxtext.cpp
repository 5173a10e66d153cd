// SPDX-License-Identifier: MIT
#include "app/boxtext.h"

namespace app::boxtext {

QString shown(const QString &text)
{
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString typed(const QString &rawBoxText)
{
    QString text;
    text.reserve(rawBoxText.size() + rawBoxText.size() / 32);
    for (const QChar c : rawBoxText) {
        if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            text.append(u"\r\n");
        else
            text.append(c);
    }
    return text;
}

} // namespace app::boxtext
