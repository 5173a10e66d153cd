// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QFile;

// How the instructor's reader finds and opens its inputs, so that none is passed over in
// silence: a folder's entries come from the system as bytes (a name that is not valid in the
// system's encoding is still seen), the type of each path is looked at before it is opened (a
// FIFO or a device is never opened for reading), and the system's reason is kept for each one
// that cannot be used.
namespace platform::inputfiles {

enum class Kind { RegularFile, Folder, Unusable };

struct Inspection
{
    Kind kind = Kind::Unusable;
    QString reason; // why it cannot be used; empty otherwise
};

// Follows links; a dangling link, a link loop, a device, a FIFO and a socket are unusable.
Inspection inspect(const QString &path);

struct Entry
{
    QString path;      // to open it with; empty when the name is not valid
    QString shownName; // the name, with bytes that are not valid shown as \xNN
    bool nameValid = true;
};

// The entries of `folder` whose names start with one of `prefixes` (ASCII, compared without
// regard to case on the name's bytes); with no prefixes, all its entries. False, with the system's
// reason, when the folder cannot be listed.
bool entriesStartingWith(const QString &folder, const QList<QByteArray> &prefixes,
                         QList<Entry> *entries, QString *reason);

// Opens a regular file for reading without ever blocking: the type is checked on the opened
// file too, since the path may have changed since it was inspected. Empty on success,
// otherwise the reason.
QString openForReading(const QString &path, QFile &file);

} // namespace platform::inputfiles
