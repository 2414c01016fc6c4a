#include "songlibrary.h"

#include "songfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString Extension = u".mp3"_s;

} // namespace

SongLibrary SongLibrary::scan(const QString &stationFolder, const Limits &limits)
{
    SongLibrary library;
    if (stationFolder.isEmpty())
        return library;
    // Breadth first: the station's own folder and the day folders come before
    // anything deeper when a limit cuts the scan.
    QList<int> depths{0};
    library.Folders.append(QDir::cleanPath(stationFolder));
    for (qsizetype next = 0; next < library.Folders.size(); ++next) {
        const int depth = depths[next];
        // Links are not followed into: a link to a folder above would go round.
        QDirIterator entries(library.Folders[next],
                             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (entries.hasNext()) {
            if (library.Read >= limits.entries) {
                library.Complete = false;
                return library;
            }
            const QFileInfo entry = entries.nextFileInfo();
            ++library.Read;
            if (entry.isSymLink() || !entry.isDir()) {
                const QString name = entry.fileName();
                if (name.endsWith(Extension))
                    library.add(name, int(next));
            } else if (depth < limits.depth) {
                library.Folders.append(entry.filePath());
                depths.append(depth + 1);
            } else {
                library.Complete = false;
            }
        }
    }
    return library;
}

void SongLibrary::add(const QString &name, int folder)
{
    // Both: a title may itself begin with four digits and a blank. The first
    // file found of a song is the one told, the shallowest.
    for (const QString &key : {name, unnumbered(name)}) {
        if (!Files.contains(key))
            Files.insert(key, {folder, name});
    }
}

QString SongLibrary::find(const SongEntry &song) const
{
    if (Files.isEmpty())
        return {};
    const auto found = Files.constFind(keyOf(song));
    if (found == Files.cend())
        return {};
    return QDir::toNativeSeparators(Folders[found->folder] + u'/' + found->name);
}

QString SongLibrary::keyOf(const SongEntry &song)
{
    return SongFileName(song, true);
}

QString SongLibrary::unnumbered(const QString &fileName)
{
    // A position is at least four digits, then one blank.
    qsizetype digits = 0;
    while (digits < fileName.size() && fileName[digits] >= u'0' && fileName[digits] <= u'9')
        ++digits;
    if (digits < 4 || digits >= fileName.size() || fileName[digits] != u' ')
        return fileName;
    return fileName.mid(digits + 1);
}
