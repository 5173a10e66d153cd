// SPDX-License-Identifier: MIT
#pragma once

#include "report/inputs/sitefacts.h"
#include "report/recordparser.h"

#include <QString>

namespace report {

// What the drill program put into a record file's name: masterFile_<name>.txt,
// send_<MMDD><name>.txt or notes_<name>.txt, with every blank of the name written as "_".
struct RecordFileName
{
    RecordParser::FileKind kind = RecordParser::FileKind::Other;
    QString student;  // blanks restored
    QString monthDay; // "mm-dd" from a send file's name; empty otherwise
    SiteFacts site;   // what a course site added to the name

    static RecordFileName of(const QString &path);
    // "master", "send", "notes" or "other".
    QString kindText() const;
};

} // namespace report
