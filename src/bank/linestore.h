// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace bank {

// The line store: entries 0..5000 (entry 0 is never filled or read) and the position shared
// by the filler and every reader. Read-only once filled; only bankLineCount moves.
class LineStore
{
public:
    static constexpr int lastIndex = 5000;

    // While filling: the number of entries stored. Afterwards: the index of the entry most
    // recently consumed, so the next entry to read is bankLineCount + 1.
    int bankLineCount = 0;

    // Stores the entries at 1, 2, ... in order and leaves bankLineCount at 0. An entry that
    // would land past 5000 throws std::out_of_range; the entries before it stay stored.
    void fill(const QStringList &content);

    // The entry at `index` (0..5000); an index outside the store throws std::out_of_range.
    const QString &entry(int index) const;

    static bool contains(int index) { return index >= 0 && index <= lastIndex; }

private:
    std::vector<QString> bankLines = std::vector<QString>(lastIndex + 1);
};

} // namespace bank
