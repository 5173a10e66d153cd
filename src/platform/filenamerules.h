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
    QStringList nameReasons; // as QFile::errorString() gives them

    bool refuses(QChar character) const;
};

FileNameRules unixFileNameRules();
FileNameRules windowsFileNameRules();
// The rules of the system the program runs on.
FileNameRules fileNameRules();

} // namespace platform
