// SPDX-License-Identifier: MIT
#include "report/inputs/inputlist.h"

#include "platform/inputfiles.h"
#include "report/inputs/ziparchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace report::inputs {

namespace inputfiles = platform::inputfiles;

namespace {

Problem inputProblem(const QString &path, const QString &reason)
{
    Problem problem{path, 0, reason};
    problem.input = true;
    return problem;
}

Problem notice(const QString &path, const QString &text)
{
    return {path, 0, text, true};
}

bool isArchiveName(const QString &name)
{
    return name.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive);
}

// A file named on its own is an archive by its name or by its first bytes (a download saved
// without its ending).
bool isArchive(const QString &path)
{
    if (isArchiveName(path))
        return true;
    QFile file;
    if (!inputfiles::openForReading(path, file).isEmpty())
        return false;
    const QByteArray start = file.read(4);
    return start == QByteArrayLiteral("PK\x03\x04") || start == QByteArrayLiteral("PK\x05\x06");
}

// By the name as the program wrote it, so that a class reads in the same order however a site
// renamed or foldered its files; a copy ("name (1).txt", "name-1.txt") right after the first.
QString readingKey(const Input &input)
{
    static const QRegularExpression copyMark(
        QStringLiteral("(?: ?\\(\\d{1,3}\\)|-\\d{1,3})(\\.txt)$"),
        QRegularExpression::CaseInsensitiveOption);
    const QString written = input.name.written;
    QString plain = written;
    plain.replace(copyMark, QStringLiteral("\\1"));
    return plain + (plain == written ? QStringLiteral("\n0") : QStringLiteral("\n1")) + written +
           u'\n' + input.path;
}

// Why an entry's name is not read: a name that leads out of the archive is no course site's.
bool leavesArchive(const QString &name)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    return name.startsWith(u'/') || name.contains(drive) ||
           name.split(u'/').contains(QStringLiteral(".."));
}

// The report page's own folder of pages ("<page>-pages" beside "<page>.html"): not searched.
bool isPagesFolder(const QString &path)
{
    const QFileInfo info(path);
    if (!info.fileName().endsWith(QStringLiteral("-pages")))
        return false;
    return QFileInfo::exists(
        info.dir().filePath(info.fileName().chopped(6) + QStringLiteral(".html")));
}

} // namespace

// One named input searched: what it holds, gathered before it is sorted into the list.
class InputList::Search
{
public:
    Search(InputList &list, QSet<QString> &seen, const QString &named)
        : list_(list)
        , seen_(seen)
        , named_(named)
    {}

    void folder(const QString &path, int depth, QStringList ancestors);
    void archive(const QString &path);
    void finish(const QString &noneFound);

private:
    void entryOf(const QString &parent, const inputfiles::Entry &entry, int depth,
                 const QStringList &ancestors);
    void recordFile(Input input, const QString &key);
    void archiveEntry(const std::shared_ptr<ZipArchive> &zip, const ZipArchive::Entry &entry);
    QString shownBelow(const QString &path) const;

    InputList &list_;
    QSet<QString> &seen_;
    QString named_;
    QList<Input> found_;
    QStringList others_;
    bool anyRecordName_ = false;
    // Nothing found is said otherwise: a folder could not be listed, or was searched before.
    bool explained_ = false;
};

void InputList::Search::folder(const QString &path, int depth, QStringList ancestors)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (ancestors.contains(canonical)) {
        list_.problems_.append(inputProblem(
            path, QStringLiteral("a link loop: the folder leads back to %1, which holds it")
                      .arg(QDir::toNativeSeparators(canonical))));
        return;
    }
    if (list_.folders_.contains(canonical)) {
        explained_ = true; // searched already, through another link or named again
        return;
    }
    list_.folders_.insert(canonical);
    ancestors.append(canonical);
    QList<inputfiles::Entry> entries;
    QString reason;
    if (!inputfiles::entriesStartingWith(path, {}, &entries, &reason)) {
        explained_ = true;
        list_.problems_.append(
            inputProblem(path, QStringLiteral("the folder cannot be listed: %1").arg(reason)));
        return;
    }
    for (const inputfiles::Entry &entry : std::as_const(entries))
        entryOf(path, entry, depth, ancestors);
}

void InputList::Search::entryOf(const QString &parent, const inputfiles::Entry &entry, int depth,
                                const QStringList &ancestors)
{
    const bool recordName = isRecordFileName(entry.shownName);
    const bool wanted = recordName || isArchiveName(entry.shownName);
    anyRecordName_ = anyRecordName_ || recordName;
    if (!entry.nameValid) {
        if (wanted)
            list_.problems_.append(inputProblem(
                QDir(parent).filePath(entry.shownName),
                QStringLiteral("the name is not valid in the system's encoding (UTF-8), so the "
                               "file cannot be opened by its name: rename it to read it")));
        else
            others_.append(shownBelow(QDir(parent).filePath(entry.shownName)));
        return;
    }
    const inputfiles::Inspection inspection = inputfiles::inspect(entry.path);
    if (inspection.kind == inputfiles::Kind::Folder) {
        if (isPagesFolder(entry.path))
            return;
        if (depth >= depthLimit)
            list_.problems_.append(inputProblem(
                entry.path, QStringLiteral("more than %1 folders deep in %2: not searched")
                                .arg(depthLimit)
                                .arg(QDir::toNativeSeparators(named_))));
        else
            folder(entry.path, depth + 1, ancestors);
    } else if (inspection.kind == inputfiles::Kind::Unusable) {
        if (wanted)
            list_.problems_.append(inputProblem(entry.path, inspection.reason));
        else
            others_.append(shownBelow(entry.path));
    } else if (recordName) {
        const QString canonical = QFileInfo(entry.path).canonicalFilePath();
        recordFile({entry.path, RecordFileName::of(entry.path), nullptr, -1}, canonical);
    } else if (wanted) {
        archive(entry.path);
    } else {
        others_.append(shownBelow(entry.path));
    }
}

void InputList::Search::recordFile(Input input, const QString &key)
{
    if (seen_.contains(key))
        return;
    seen_.insert(key);
    if (input.name.kind == RecordParser::FileKind::Notes) {
        // Its notes are in the send and master files as well; read, they would count twice.
        list_.problems_.append(
            notice(input.path, QStringLiteral("a notes file: not read, its notes are also "
                                              "in the send and master files (name it to "
                                              "read it)")));
        return;
    }
    if (!input.archive)
        list_.readPaths_.insert(key);
    if (!input.name.site.agreesWith(input.name.student))
        list_.problems_.append(
            {input.path, 0,
             QStringLiteral("the course site (%1) names the student \"%2\", the file's name "
                            "\"%3\": check which student sent it")
                 .arg(input.name.site.siteText(), input.name.site.siteName, input.name.student)});
    found_.append(std::move(input));
}

void InputList::Search::archive(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (list_.readPaths_.contains(canonical))
        return;
    list_.readPaths_.insert(canonical);
    QString reason;
    const std::shared_ptr<ZipArchive> zip = ZipArchive::open(path, &reason);
    if (!zip) {
        list_.problems_.append(inputProblem(path, reason));
        return;
    }
    if (!zip->damage().isEmpty())
        list_.problems_.append(inputProblem(path, zip->damage()));
    const qsizetype before = found_.size();
    anyRecordName_ = false;
    for (const ZipArchive::Entry &entry : zip->entries()) {
        if (!entry.directory)
            archiveEntry(zip, entry);
    }
    if (!anyRecordName_ && found_.size() == before)
        list_.problems_.append(inputProblem(
            path, QStringLiteral("the archive holds no send_*, masterFile_* or notes_* file")));
    anyRecordName_ = true; // an archive without records is reported as such, not its folder
}

void InputList::Search::archiveEntry(const std::shared_ptr<ZipArchive> &zip,
                                     const ZipArchive::Entry &entry)
{
    const QString name = QString(entry.name).replace(u'\\', u'/');
    const QString path = zip->path() + u'/' + name;
    const RecordFileName recordName = RecordFileName::of(path);
    const bool isRecord = isRecordFileName(QFileInfo(path).fileName());
    anyRecordName_ = anyRecordName_ || isRecord;
    if (leavesArchive(name)) {
        list_.problems_.append(inputProblem(
            path, QStringLiteral("the entry's name leads out of the archive: not read (nothing is "
                                 "ever unpacked; no course site writes such a name)")));
    } else if (isArchiveName(name)) {
        list_.problems_.append(inputProblem(
            path, QStringLiteral("a zip inside the zip: not read (unpack the outer archive and "
                                 "name this one)")));
    } else if (!isRecord) {
        others_.append(shownBelow(path));
    } else if (const QString refused = ZipArchive::refusal(entry); !refused.isEmpty()) {
        list_.problems_.append(inputProblem(path, refused));
    } else {
        const QString key =
            QFileInfo(zip->path()).canonicalFilePath() + u'\n' + QString::number(entry.index);
        recordFile({path, recordName, zip, entry.index}, key);
    }
}

QString InputList::Search::shownBelow(const QString &path) const
{
    return path.startsWith(named_ + u'/') ? path.mid(named_.size() + 1) : path;
}

void InputList::Search::finish(const QString &noneFound)
{
    if (!noneFound.isEmpty() && !anyRecordName_ && !explained_ && found_.isEmpty())
        list_.problems_.append(inputProblem(named_, noneFound));
    if (!others_.isEmpty()) {
        const qsizetype shown = qMin<qsizetype>(others_.size(), 10);
        QString names = others_.mid(0, shown).join(QStringLiteral(", "));
        if (shown < others_.size())
            names += QStringLiteral(" and %1 more").arg(others_.size() - shown);
        list_.problems_.append(
            notice(named_, QStringLiteral("%1 file(s) here are not record files and were not "
                                          "read: %2")
                               .arg(others_.size())
                               .arg(names)));
    }
    std::vector<std::pair<QString, Input>> keyed;
    keyed.reserve(std::size_t(found_.size()));
    for (Input &input : found_)
        keyed.emplace_back(readingKey(input), std::move(input));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (auto &[key, input] : keyed)
        list_.files_.append(std::move(input));
}

bool InputList::isRecordFileName(const QString &name)
{
    static const QRegularExpression programStart(QStringLiteral("^(send|masterFile|notes)_"),
                                                 QRegularExpression::CaseInsensitiveOption);
    return RecordFileName::of(name).isRecordFile() || programStart.match(name).hasMatch();
}

InputList InputList::find(const QStringList &named)
{
    InputList list;
    QSet<QString> seen;
    for (const QString &path : named) {
        Search search(list, seen, QDir::cleanPath(path));
        const inputfiles::Inspection inspection = inputfiles::inspect(path);
        if (inspection.kind == inputfiles::Kind::Folder) {
            search.folder(QDir::cleanPath(path), 0, {});
            search.finish(QStringLiteral("the folder holds no send_*, masterFile_* or notes_* "
                                         "file, nor a .zip holding one, in any of its folders"));
        } else if (inspection.kind == inputfiles::Kind::Unusable) {
            list.problems_.append(inputProblem(path, inspection.reason));
        } else if (isArchive(path)) {
            search.archive(path);
            search.finish({});
        } else {
            // Named on its own, a file is read whatever its name.
            const QString canonical = QFileInfo(path).canonicalFilePath();
            if (!seen.contains(canonical)) {
                seen.insert(canonical);
                list.readPaths_.insert(canonical);
                list.files_.append({path, RecordFileName::of(path), nullptr, -1});
            }
        }
    }
    return list;
}

std::unique_ptr<QIODevice> InputList::open(const Input &input, QString *reason)
{
    if (input.archive)
        return input.archive->openEntry(input.entry, reason);
    auto file = std::make_unique<QFile>();
    *reason = inputfiles::openForReading(input.path, *file);
    if (!reason->isEmpty())
        return nullptr;
    return file;
}

} // namespace report::inputs
