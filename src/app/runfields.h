// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace app {

// The fields a run fixes at start-up and keeps to its end.
struct RunFields
{
    QString titleText;
    QString fullName;        // as typed at the name prompt: part of the record files' names
    float runCodeNbr = 0.0f; // a whole number 19..28
    QString outputFolder;
    QString masterFileName;
    QString sendFileName;
    QString notesFileName;
    QString assignmentNumber;     // as typed, padded to three digits
    QString nextAssignmentNumber; // its value plus one, padded the same way
    QString instructionsText;
};

} // namespace app
