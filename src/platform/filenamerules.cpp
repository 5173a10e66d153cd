// SPDX-License-Identifier: MIT
#include "platform/filenamerules.h"

#include "platform/appendfile.h"

#include <cerrno>

namespace platform {

namespace {
// NTFS, FAT and exFAT alike; checked before any create because the error a too-long name
// gives differs between file systems (and under Wine it reads "File not found").
constexpr qsizetype windowsMaxNameLength = 255;
// NAME_MAX of Linux's usual file systems.
constexpr qsizetype unixMaxNameBytes = 255;
} // namespace

bool FileNameRules::refuses(QChar character) const
{
    return character.isNull() || refusedCharacters.contains(character) ||
           (refusesControlCharacters && character.unicode() < 0x20);
}

FileNameRules unixFileNameRules()
{
    return {QStringLiteral("/"), false, {systemReason(ENAMETOOLONG)}, 0, unixMaxNameBytes};
}

FileNameRules windowsFileNameRules()
{
    return {QStringLiteral("\\/:*?\"<>|"), true, {}, windowsMaxNameLength};
}

FileNameRules fileNameRules()
{
#ifdef Q_OS_WIN
    return windowsFileNameRules();
#else
    return unixFileNameRules();
#endif
}

} // namespace platform
