// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace report {

// What a course site added to a record file's name when it handed the file out: kept beside
// the student's name, never as part of it. The site's ids are what a gradebook export lists,
// so a roster line is matched to a submission by them first.
struct SiteFacts
{
    enum class Site { None, Moodle, Canvas, Blackboard };

    Site site = Site::None;
    QString prefix;       // the site's part of the name, as it stands
    QString siteName;     // the student as the site names them (Moodle's full name, Canvas's
                          // "lastfirst"); empty when the site gives none
    QString userId;       // Moodle's participant id, Canvas's user id
    QString username;     // Blackboard's username
    bool late = false;    // the site marked the submission late (Canvas's "_LATE")
    int resubmission = 0; // "-1", " (1)" and the like: the number; 0 for none
    QString attempt;      // Blackboard's attempt time, as written
    QString fileId;       // Canvas's id of the file itself

    bool fromSite() const { return site != Site::None; }

    // What stands before the program's own part of a file name ("Ann Lee_9101_assignsubmission_
    // file_", "leeann_LATE_101_77101_"); a prefix no site writes is kept, with no site.
    static SiteFacts fromPrefix(const QString &prefix);
    // The folder a site made for one submission ("Ann Lee_9101_assignsubmission_file_");
    // no site when the folder's name is no site's.
    static SiteFacts fromFolder(const QString &folderName);
    // Whether the site's name for the student can be the name the program wrote: the same
    // letters, case, accents, blanks and the order of first and last names aside. True when
    // the site gives no name.
    bool agreesWith(const QString &student) const;
    QString siteText() const; // "Moodle", "Canvas", "Blackboard"; empty for none
};

} // namespace report
