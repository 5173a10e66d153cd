// SPDX-License-Identifier: MIT
#pragma once

#include "report/recordfilename.h"
#include "report/recordtypes.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class QIODevice;

namespace report::inputs {

class ZipArchive;

// One record file to read: a file on disk, or an entry of a .zip read in place.
struct Input
{
    QString path; // the file's path; for an entry the archive's path, "/" and the entry's name
    RecordFileName name;
    std::shared_ptr<ZipArchive> archive; // none for a file on disk
    qint64 entry = -1;
};

// What the instructor named, searched for record files as course sites hand them out: files;
// folders searched to a bounded depth, each folder once however many links lead to it; .zip
// archives named or found in a folder, listed in place. A file is a record file by the program's
// part of its name (send_MMDD…, masterFile_…, notes_…) wherever that stands in the name; its
// first bytes are not looked at, so that a file damaged at its start is still read and its
// problems shown. Everything that is not read is said: a problem for an input that cannot be
// read (exit status 2), one counted notice for a site's other files.
class InputList
{
public:
    // Folders below a named folder searched, at most; one deeper is reported, not searched.
    static constexpr int depthLimit = 8;

    static InputList find(const QStringList &named);

    // Record files to read, each once, in the order of their names as the program wrote them.
    const QList<Input> &files() const { return files_; }
    // Inputs not read, names a site and the program disagree on, and notices.
    const QList<Problem> &problems() const { return problems_; }
    // Whether `canonical` (a canonical path) is a file or archive that is read.
    bool reads(const QString &canonical) const { return readPaths_.contains(canonical); }
    // Whether `canonical` (a canonical folder) is searched.
    bool searches(const QString &canonical) const { return folders_.contains(canonical); }

    // A record file's name: the program's part, ending in .txt, anywhere in it, or a name that
    // starts as the program's do, whatever its ending.
    static bool isRecordFileName(const QString &name);

    // Opens an input for reading; null, with the reason, when it cannot be opened.
    static std::unique_ptr<QIODevice> open(const Input &input, QString *reason);

    class Search;

private:
    QList<Input> files_;
    QList<Problem> problems_;
    QSet<QString> readPaths_;
    QSet<QString> folders_;
};

} // namespace report::inputs
