// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace platform {
struct FileNameRules;
}

// The start-up dialogue's fixed texts and the rules that turn its answers into run fields.
namespace app::runsetup {

inline const QString titleText = QStringLiteral("bexlorin");

QString instructionsText();

// The four start-up prompts. `defaultFolder` is the folder as the platform names it.
QString namePrompt();
QString folderChoicePrompt(const QString &defaultFolder);
QString newFolderPrompt(const QString &defaultFolder);
QString assignmentPrompt();

// Only exactly "1" asks for another folder.
bool wantsOtherFolder(const QString &choice);

// A folder as typed, without one pair of surrounding double quotes where no path can hold a
// quote (Windows, whose Explorer copies paths in quotes); otherwise as typed.
QString typedFolder(const QString &typed, const platform::FileNameRules &rules);

// The run's code number from one draw r in [0, 1): 19..28, never 29, even for the largest
// single-precision draw below 1 (computed in double precision for that reason).
float codeNumberFromDraw(float r);

// Length 1 gets "00" in front, length 2 gets "0"; every other length stays as it is.
QString padAssignmentNumber(const QString &typed);

// The value of the (padded) assignment number plus one, padded the same way.
QString nextAssignmentNumber(const QString &assignmentNumber);

struct RecordPaths
{
    QString masterFileName;
    QString sendFileName;
    QString notesFileName;
};

// The three record files in `folder`. `date` is mm-dd-yyyy; blanks of the name become "_".
RecordPaths recordPaths(const QString &folder, const QString &fullName, const QString &date,
                        QChar separator);

// The same files in another folder (after the first one turned out unusable).
RecordPaths inOtherFolder(const RecordPaths &paths, const QString &oldFolder,
                          const QString &newFolder);

// Texts of the start-up repairs: a folder in which the record files cannot be created, and an
// assignment number that matches no assignment.
QString unusableFolderMessage(const QString &folder, const QString &failure);
QString otherFolderPrompt();

// Why the name typed at start-up cannot be part of the record files' names, or "" when the
// name is not the cause. The name is the cause when it holds characters the file system
// refuses, makes a record file's name longer than the system allows, or when the system's
// reason for a failed create (`reason`, "" before any attempt) is one that only the file's
// own name can cause there (see FileNameRules::nameReasons); every other failure is the
// folder's.
QString nameProblem(const QString &fullName, const QString &reason,
                    const platform::FileNameRules &rules);
QString unusableNameMessage(const QString &fullName, const QString &problem);
QString unknownAssignmentMessage(const QString &assignmentNumber, const QStringList &headLines);

} // namespace app::runsetup
