// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// What a file system refuses in a file name, and the words the system uses when a name (not
// the folder) is why a file could not be created.
struct FileNameRules
{
    QString refusedCharacters;
    bool refusesControlCharacters = false;
    // The system's reasons (as AppendFile gives them) that only a file's own name can cause.
    // None on Windows: its "invalid name" and "name too long" come as well from any part of
    // the folder, and the name's own characters and length are checked before any create.
    QStringList nameReasons;
    // The most UTF-16 units one name may have, or 0 where only a failed create can tell
    // (Linux file systems count bytes, and not all the same).
    qsizetype maxNameLength = 0;
    // Where a name reason can come from the folder too (Linux's "File name too long" for a
    // long part of the folder), it is the name's only when the name has more bytes than this.
    qsizetype maxNameBytes = 0;

    bool refuses(QChar character) const;
};

FileNameRules unixFileNameRules();
FileNameRules windowsFileNameRules();
// The rules of the system the program runs on.
FileNameRules fileNameRules();

} // namespace platform
