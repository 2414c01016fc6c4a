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
    QList<QPair<QString, int>> folders{{QDir::cleanPath(stationFolder), 0}};
    for (qsizetype next = 0; next < folders.size(); ++next) {
        const auto [folder, depth] = folders[next];
        // Links are not followed into: a link to a folder above would go round.
        QDirIterator entries(folder,
                             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (entries.hasNext()) {
            if (library.Read >= limits.entries) {
                library.Complete = false;
                return library;
            }
            entries.next();
            ++library.Read;
            const QFileInfo entry = entries.fileInfo();
            const QString name = entry.fileName();
            if (entry.isSymLink() || !entry.isDir()) {
                if (name.endsWith(Extension))
                    library.add(name, entry.filePath());
            } else if (depth < limits.depth) {
                folders.append({entry.filePath(), depth + 1});
            } else {
                library.Complete = false;
            }
        }
    }
    return library;
}

void SongLibrary::add(const QString &name, const QString &path)
{
    // Both: a title may itself begin with four digits and a blank. The first
    // file found of a song is the one told, the shallowest.
    const QString native = QDir::toNativeSeparators(path);
    for (const QString &key : {name, unnumbered(name)}) {
        if (!Files.contains(key))
            Files.insert(key, native);
    }
}

QString SongLibrary::find(const SongEntry &song) const
{
    return Files.isEmpty() ? QString() : Files.value(keyOf(song));
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
