// SPDX-License-Identifier: MIT
#include "platform/filenamerules.h"

#include <cerrno>

namespace platform {

namespace {
// Windows' codes for a name that is too long and for one it cannot parse.
constexpr int windowsNameTooLong = 206;
constexpr int windowsInvalidName = 123;
} // namespace

bool FileNameRules::refuses(QChar character) const
{
    return character.isNull() || refusedCharacters.contains(character) ||
           (refusesControlCharacters && character.unicode() < 0x20);
}

FileNameRules unixFileNameRules()
{
    return {QStringLiteral("/"), false, {qt_error_string(ENAMETOOLONG)}};
}

FileNameRules windowsFileNameRules()
{
    return {QStringLiteral("\\/:*?\"<>|"),
            true,
            {qt_error_string(windowsNameTooLong), qt_error_string(windowsInvalidName)}};
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
