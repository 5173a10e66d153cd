// SPDX-License-Identifier: MIT
// libFuzzer target: a course site's .zip as the reader takes it, whole or cut short: its table of
// entries (libzip's, or the one mended from the entries' own headers), then every entry that is
// not refused read to its end.
#include "report/inputs/ziparchive.h"

#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir folder;
    if (!folder.isValid())
        return 0;
    const QString path = folder.filePath(QStringLiteral("submissions.zip"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        return 0;
    file.close();
    QString reason;
    const auto archive = report::inputs::ZipArchive::open(path, &reason);
    if (!archive)
        return 0;
    for (const auto &entry : archive->entries()) {
        if (entry.directory || !report::inputs::ZipArchive::refusal(entry).isEmpty())
            continue;
        const std::unique_ptr<QIODevice> device = archive->openEntry(entry.index, &reason);
        char piece[64 * 1024];
        while (device && device->read(piece, sizeof piece) > 0) {
        }
    }
    return 0;
}
