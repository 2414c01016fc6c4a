#include "songfiles.h"

#include "filenamerules.h"
#include "pathutil.h"

using namespace Qt::StringLiterals;

namespace {

qsizetype StoredLength(QStringView name)
{
    qsizetype length = 0;
    for (qsizetype i = 0; i < name.size();)
        length += FileNameRules::storedLength(name, i);
    return length;
}

} // namespace

QString SafeFileName(const QString &stem, const QString &extension)
{
    // One pass: keep whole characters while they fit beside the extension.
    const qsizetype room = MaxFileNameLength - StoredLength(extension);
    qsizetype used = 0;
    qsizetype kept = 0;
    while (kept < stem.size()) {
        qsizetype next = kept;
        used += FileNameRules::storedLength(stem, next);
        if (used > room)
            break;
        kept = next;
    }
    QString safe = stem.left(kept);
    for (QChar &c : safe) {
        if (FileNameRules::isRefused(c))
            c = u'_';
    }
    return safe + extension;
}

QString SongFileStem(const SongEntry &song, bool noNumbers)
{
    return noNumbers ? song.title : PositionText(song.position) + u' ' + song.title;
}

QString SongFileName(const SongEntry &song, bool noNumbers)
{
    return SafeFileName(SongFileStem(song, noNumbers), u".mp3"_s);
}

QString StationFolder(const QString &chosenFolder, const QString &stationName)
{
    return WithTrailingSeparator(chosenFolder) + stationName + FolderSeparator();
}

QString DateFolder(const QString &stationFolder, const QString &dateText)
{
    return stationFolder + dateText + FolderSeparator();
}
