// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QFileDevice;

namespace platform {

// Pushes what has been written to `file` down to stable storage (fsync, FlushFileBuffers).
// Returns an empty text on success, otherwise the system's reason. Devices that cannot be
// synced at all (character devices, pipes) count as success: there is nothing to lose.
QString syncToStorage(QFileDevice &file);

// Makes the entries of a folder (a file just created in it) durable. Empty on success.
QString syncFolder(const QString &path);

} // namespace platform
