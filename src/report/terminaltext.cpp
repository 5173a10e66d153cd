// SPDX-License-Identifier: MIT
#include "report/terminaltext.h"

#include <QTextStream>

#include <algorithm>

namespace report::terminaltext {

namespace {

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// Marks that change the direction of what follows (embeddings, overrides, isolates and the
// single marks), and the line and paragraph separators, which break a line as LF does.
bool isLayoutControl(char16_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0x061C || c == 0x2028 || c == 0x2029;
}

bool needsEscape(char16_t c)
{
    return isControl(c) || isLayoutControl(c);
}

} // namespace

QString escaped(const QString &text)
{
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return needsEscape(c.unicode()); }))
        return text;
    return escaped(QStringView(text));
}

QString escaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (isControl(code))
            out += QStringLiteral("\\x%1").arg(int(code), 2, 16, QChar(u'0'));
        else if (isLayoutControl(code))
            out += QStringLiteral("\\u%1").arg(int(code), 4, 16, QChar(u'0'));
        else
            out += c;
    }
    return out;
}

void writeLine(QTextStream &stream, QStringView line)
{
    stream << escaped(line) << '\n';
}

} // namespace report::terminaltext
