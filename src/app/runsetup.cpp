// SPDX-License-Identifier: MIT
#include "app/runsetup.h"

#include "platform/filenamerules.h"
#include "records/numbertext.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>

namespace app::runsetup {

QString instructionsText()
{
    return QStringLiteral(
        "Enter, as appropriate, an answer to the question, a critique of your answer in response "
        "to a given answer, your insights regarding the situation at this point, notes to "
        "yourself, or just an OK.\r\n\r\nAlways critique your solutions by describing any "
        "insights you had or errors you makde, and by explaining how you can make use of the "
        "insight or how you now know how to avoid certain errors.  Also pose for the instructor "
        "any question or questions that you have related to the problem or series of problems.");
}

QString namePrompt()
{
    return QStringLiteral("Your full name:  ");
}

QString folderChoicePrompt(const QString &defaultFolder)
{
    return QStringLiteral("Enter 1 if you want to change the folder to which your files will be "
                          "written.  The current default folder is ") +
           defaultFolder +
           QStringLiteral(".  If you wish to use this folder, just hit the Enter key");
}

QString newFolderPrompt(const QString &defaultFolder)
{
    return QStringLiteral("You have chosen to change the folder to which your files will be "
                          "written on your hard drive from the default ") +
           defaultFolder +
           QStringLiteral(".  Enter the path to the folder you wish to use.  You may just hit "
                          "the Enter key to retain the default path.");
}

QString assignmentPrompt()
{
    return QStringLiteral("Assignment Number:  ");
}

bool wantsOtherFolder(const QString &choice)
{
    return choice == u"1";
}

QString typedFolder(const QString &typed, const platform::FileNameRules &rules)
{
    const bool quoted = typed.size() >= 2 && typed.startsWith(u'"') && typed.endsWith(u'"');
    return quoted && rules.refuses(u'"') ? typed.mid(1, typed.size() - 2) : typed;
}

float codeNumberFromDraw(float r)
{
    return static_cast<float>(std::floor(10.0 * double(r) + 19.0));
}

QString padAssignmentNumber(const QString &typed)
{
    switch (typed.size()) {
    case 1:
        return QStringLiteral("00") + typed;
    case 2:
        return u'0' + typed;
    default:
        return typed;
    }
}

QString nextAssignmentNumber(const QString &assignmentNumber)
{
    const double next = records::numbertext::valueOf(assignmentNumber) + 1.0;
    return padAssignmentNumber(records::numbertext::decimalText(next));
}

RecordPaths recordPaths(const QString &folder, const QString &fullName, const QString &date,
                        QChar separator)
{
    const QString namePiece = QString(fullName).replace(u' ', u'_');
    const QString monthDay = date.left(2) + date.mid(3, 2);
    const QString start = folder + separator;
    return {
        start + QStringLiteral("masterFile_") + namePiece + QStringLiteral(".txt"),
        start + QStringLiteral("send_") + monthDay + namePiece + QStringLiteral(".txt"),
        start + QStringLiteral("notes_") + namePiece + QStringLiteral(".txt"),
    };
}

RecordPaths inOtherFolder(const RecordPaths &paths, const QString &oldFolder,
                          const QString &newFolder)
{
    const auto moved = [&](const QString &path) { return newFolder + path.mid(oldFolder.size()); };
    return {moved(paths.masterFileName), moved(paths.sendFileName), moved(paths.notesFileName)};
}

QString unusableFolderMessage(const QString &folder, const QString &failure)
{
    return QStringLiteral("Your record files cannot be created in the folder \"") +
           QDir::toNativeSeparators(folder) + QStringLiteral("\".\n\n") + failure +
           QStringLiteral("\n\nPlease choose another folder.");
}

QString otherFolderPrompt()
{
    return QStringLiteral("Enter the path to a folder in which your files can be written, or "
                          "Cancel to end the program.");
}

QString nameProblem(const QString &fullName, const QString &reason,
                    const platform::FileNameRules &rules)
{
    QStringList refused;
    for (const QChar character : fullName) {
        if (!rules.refuses(character))
            continue;
        const QString shown = character.isPrint() ? u'"' + QString(character) + u'"'
                                                  : QStringLiteral("U+%1").arg(character.unicode(),
                                                                               4, 16, QChar(u'0'));
        if (!refused.contains(shown))
            refused.append(shown);
    }
    if (!refused.isEmpty())
        return QStringLiteral("A file name cannot hold ") + refused.join(QStringLiteral(", ")) +
               u'.';
    // Each path is "/" and a name.
    const RecordPaths paths = recordPaths(QString(), fullName, QStringLiteral("01-01-2000"), u'/');
    if (rules.maxNameLength > 0) {
        const qsizetype longest = std::max({paths.masterFileName.size(), paths.sendFileName.size(),
                                            paths.notesFileName.size()}) -
                                  qsizetype(1);
        if (longest > rules.maxNameLength)
            return QStringLiteral("File name too long: your record files' names would have %1 "
                                  "characters, and a file name can have at most %2.")
                .arg(longest)
                .arg(rules.maxNameLength);
    }
    const qsizetype longestBytes = std::max({QFile::encodeName(paths.masterFileName).size(),
                                             QFile::encodeName(paths.sendFileName).size(),
                                             QFile::encodeName(paths.notesFileName).size()}) -
                                   qsizetype(1);
    if (!reason.isEmpty() && rules.nameReasons.contains(reason) &&
        longestBytes > rules.maxNameBytes)
        return QStringLiteral("The system says: ") + reason + u'.';
    return {};
}

QString unusableNameMessage(const QString &fullName, const QString &problem)
{
    // A name pasted by mistake can be thousands of characters: its start says enough.
    constexpr qsizetype shownLength = 60;
    const QString shown = fullName.size() <= shownLength
                              ? fullName
                              : fullName.left(shownLength) +
                                    QStringLiteral("... (%1 characters)").arg(fullName.size());
    return QStringLiteral("Your name as typed, \"") + shown +
           QStringLiteral("\", cannot be used in a file name, so your record files cannot be "
                          "created.\n\n") +
           problem +
           QStringLiteral("\n\nPlease type your name again, or Cancel to end the program.");
}

QString unknownAssignmentMessage(const QString &assignmentNumber, const QStringList &headLines)
{
    QString message = QStringLiteral("There is no assignment \"") + assignmentNumber +
                      QStringLiteral("\". These are the assignments:\n");
    for (const QString &head : headLines)
        message += u'\n' + head;
    return message + QStringLiteral("\n\nEnter the number of one of them, or Cancel to end the "
                                    "program.");
}

} // namespace app::runsetup
