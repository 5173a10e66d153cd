// SPDX-License-Identifier: MIT
#include "app/assignmentstart.h"

#include "bank/linestore.h"
#include "bank/markup.h"

namespace app::assignmentstart {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool looksLikeHeadLine(const QString &line)
{
    return line.size() >= 4 && isDigit(line[0]) && isDigit(line[1]) && isDigit(line[2]) &&
           line[3] == u'.';
}

} // namespace

int findHeadLine(bank::LineStore &store, const QString &assignmentNumber)
{
    store.bankLineCount = 0;
    QString line;
    while (!bank::markup::isHeadLineOf(line, assignmentNumber)) {
        if (store.bankLineCount == bank::LineStore::lastIndex) {
            store.bankLineCount = 0;
            return 0;
        }
        ++store.bankLineCount;
        line = store.entry(store.bankLineCount);
    }
    return store.bankLineCount;
}

QStringList headLines(const bank::LineStore &store)
{
    QStringList heads;
    for (int index = 1; index <= bank::LineStore::lastIndex; ++index) {
        if (looksLikeHeadLine(store.entry(index)))
            heads.append(store.entry(index));
    }
    return heads;
}

} // namespace app::assignmentstart
