// SPDX-License-Identifier: MIT
#include "bank/linestore.h"

#include <stdexcept>
#include <string>

namespace bank {

namespace {
[[noreturn]] void throwOutOfRange(int index)
{
    throw std::out_of_range("line store index " + std::to_string(index) + " is outside 0.." +
                            std::to_string(LineStore::lastIndex));
}
} // namespace

void LineStore::fill(const QStringList &content)
{
    for (const QString &text : content) {
        ++bankLineCount;
        if (!contains(bankLineCount))
            throwOutOfRange(bankLineCount);
        bankLines[bankLineCount] = text;
    }
    bankLineCount = 0;
}

const QString &LineStore::entry(int index) const
{
    if (!contains(index))
        throwOutOfRange(index);
    return bankLines[index];
}

} // namespace bank
