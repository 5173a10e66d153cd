// SPDX-License-Identifier: MIT
#include "app/boxtext.h"

namespace app::boxtext {

QString shown(const QString &text)
{
    // One pass that drops the CR of every CR LF: viewers send megabytes through here.
    QString box(text.size(), Qt::Uninitialized);
    QChar *out = box.data();
    const QChar *in = text.constData();
    const QChar *const end = in + text.size();
    for (; in != end; ++in) {
        if (*in == u'\r' && in + 1 != end && in[1] == u'\n')
            continue;
        *out++ = *in;
    }
    box.truncate(out - box.constData());
    return box;
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
