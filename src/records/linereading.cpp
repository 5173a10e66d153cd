// SPDX-License-Identifier: MIT
#include "records/linereading.h"

namespace records {

namespace {

// Calls `visit` with each line of `text`, in order.
template<typename Visitor>
void forEachLine(QStringView text, Visitor visit)
{
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\r', start);
        if (end < 0)
            end = text.size();
        visit(text.sliced(start, end - start));
        start = end + 1;
        if (start < text.size() && text[start] == u'\n')
            ++start;
    }
}

} // namespace

QStringList readLines(QStringView text)
{
    QStringList lines;
    forEachLine(text, [&lines](QStringView line) { lines.append(line.toString()); });
    return lines;
}

QString viewerText(QStringView text)
{
    QString shown;
    // Each line gains CR LF in front and loses at most two line-end characters.
    shown.reserve(text.size() + text.size() / 16 + 2);
    forEachLine(text, [&shown](QStringView line) {
        shown.append(u"\r\n");
        shown.append(line);
    });
    return shown;
}

} // namespace records
