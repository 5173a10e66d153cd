// SPDX-License-Identifier: MIT
#include "report/roster/rostermatch.h"

#include "report/gradebook.h"
#include "report/roster/roster.h"

#include <QDir>
#include <QHash>
#include <QMultiHash>

#include <algorithm>

namespace report {

namespace {

// One student as the files show them: by the site's id where a site gave one, else by name.
struct Submitter
{
    QString id; // case folded; empty without one
    QString key;
    QString shown;
    QString file;
    QList<qsizetype> runs;
};

QString siteId(const SiteFacts &site)
{
    return (site.userId.isEmpty() ? site.username : site.userId).trimmed().toCaseFolded();
}

QList<Submitter> submittersOf(const QList<RunSummary> &runs)
{
    QList<Submitter> submitters;
    QHash<QString, qsizetype> byIdentity;
    for (qsizetype r = 0; r < runs.size(); ++r) {
        const RunSummary &run = runs[r];
        const QString id = siteId(run.name.site);
        const QString key = Roster::key(run.student);
        const QString identity =
            id.isEmpty() ? QStringLiteral("name\n") + key
                         : QStringLiteral("site %1\n").arg(int(run.name.site.site)) + id;
        auto found = byIdentity.constFind(identity);
        if (found == byIdentity.constEnd()) {
            found = byIdentity.insert(identity, submitters.size());
            const QString shown =
                id.isEmpty()
                    ? run.student
                    : QStringLiteral("%1 (id %2)")
                          .arg(run.student, run.name.site.userId.isEmpty() ? run.name.site.username
                                                                           : run.name.site.userId);
            submitters.append({id, key, shown, QDir::toNativeSeparators(run.file), {}});
        }
        submitters[*found].runs.append(r);
    }
    return submitters;
}

QString linesOf(const Roster &roster, const QList<qsizetype> &entries)
{
    QStringList lines;
    for (const qsizetype entry : entries)
        lines.append(QString::number(roster.entries()[entry].line));
    return lines.join(QStringLiteral(", "));
}

// A line fits two students when their ids differ, or their names where one has no id.
bool sameStudent(const Submitter &a, const Submitter &b)
{
    if (!a.id.isEmpty() && !b.id.isEmpty())
        return a.id == b.id;
    return a.key == b.key;
}

} // namespace

RosterMatch RosterMatch::of(const Roster &roster, const QList<RunSummary> &runs)
{
    RosterMatch match;
    match.entryOfRun.fill(-1, runs.size());
    match.foundAs.resize(roster.entries().size());
    QMultiHash<QString, qsizetype> byId, byKey;
    for (qsizetype e = 0; e < roster.entries().size(); ++e) {
        const RosterEntry &entry = roster.entries()[e];
        for (const QString &id : entry.ids)
            byId.insert(id.toCaseFolded(), e);
        if (!entry.key.isEmpty())
            byKey.insert(entry.key, e);
    }
    const QList<Submitter> submitters = submittersOf(runs);
    QList<QList<qsizetype>> fitting(roster.entries().size());
    for (qsizetype s = 0; s < submitters.size(); ++s) {
        const Submitter &submitter = submitters[s];
        QList<qsizetype> lines =
            submitter.id.isEmpty() ? QList<qsizetype>() : byId.values(submitter.id);
        if (lines.isEmpty())
            lines = byKey.values(submitter.key);
        std::sort(lines.begin(), lines.end());
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
        if (lines.isEmpty()) {
            match.notOnRoster.append(submitter.shown);
        } else if (lines.size() > 1) {
            match.problems.append({roster.path(), roster.entries()[lines.first()].line,
                                   QStringLiteral("%1 (%2) fits %3 roster lines (lines %4): "
                                                  "counted on none of them")
                                       .arg(submitter.shown, submitter.file)
                                       .arg(lines.size())
                                       .arg(linesOf(roster, lines))});
        } else {
            fitting[lines.first()].append(s);
        }
    }
    for (qsizetype e = 0; e < fitting.size(); ++e) {
        const QList<qsizetype> &fit = fitting[e];
        const bool one = std::all_of(fit.begin(), fit.end(), [&](qsizetype s) {
            return sameStudent(submitters[s], submitters[fit.first()]);
        });
        if (!one) {
            QStringList students;
            for (const qsizetype s : fit)
                students.append(
                    QStringLiteral("%1 (%2)").arg(submitters[s].shown, submitters[s].file));
            match.problems.append({roster.path(), roster.entries()[e].line,
                                   QStringLiteral("the line fits %1 students: %2; counted for "
                                                  "none of them")
                                       .arg(fit.size())
                                       .arg(students.join(QStringLiteral(", ")))});
            continue;
        }
        for (const qsizetype s : fit) {
            for (const qsizetype r : submitters[s].runs)
                match.entryOfRun[r] = e;
        }
        if (!fit.isEmpty())
            match.foundAs[e] = runs[submitters[fit.first()].runs.first()].student;
    }
    return match;
}

} // namespace report
