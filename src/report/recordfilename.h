// SPDX-License-Identifier: MIT
#pragma once

#include "report/inputs/sitefacts.h"
#include "report/recordparser.h"

#include <QString>

namespace report {

// What the drill program put into a record file's name: masterFile_<name>.txt,
// send_<MMDD><name>.txt or notes_<name>.txt, with every blank of the name written as "_",
// wherever it stands in the name; what a course site put before it, or the site's folder of
// one submission, is kept apart as the site's facts.
struct RecordFileName
{
    RecordParser::FileKind kind = RecordParser::FileKind::Other;
    QString student;  // blanks restored
    QString monthDay; // "mm-dd" from a send file's name; empty otherwise
    SiteFacts site;   // what a course site added to the name
    QString written;  // the name from the program's part on ("send_0303Ann_Lee.txt")

    static RecordFileName of(const QString &path);
    bool isRecordFile() const { return kind != RecordParser::FileKind::Other; }
    // "master", "send", "notes" or "other".
    QString kindText() const;
};

} // namespace report
