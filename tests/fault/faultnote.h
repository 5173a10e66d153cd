// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The notes the notes-saving child types: round i gets `lines` lines of 100 characters
// (500 lines make 50 KB), each line naming its note, so a reader can tell every note apart
// and see that it is whole. All notes of one size have the same length. Lines are joined with
// "\n", as the answer box holds them.
inline constexpr int faultNoteLimit = 1000;
inline constexpr int faultNoteLines = 500;

inline QString faultNote(int i, int lines = faultNoteLines)
{
    QString note;
    note.reserve(lines * 101);
    for (int line = 0; line < lines; ++line) {
        if (line > 0)
            note += u'\n';
        const QString head = QStringLiteral("note %1 line %2 ")
                                 .arg(i, 4, 10, QLatin1Char('0'))
                                 .arg(line, 6, 10, QLatin1Char('0'));
        note += head + QString(100 - head.size(), QChar(u'a' + (i + line) % 26));
    }
    return note;
}
