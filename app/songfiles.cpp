#include "songfiles.h"

#include "pathutil.h"

using namespace Qt::StringLiterals;

namespace {

bool Refused(QChar c)
{
    if (c.unicode() == 0)
        return true;
#ifdef Q_OS_WIN
    if (c.unicode() < 0x20)
        return true;
    switch (c.unicode()) {
    case u'?':
    case u'"':
    case u'<':
    case u'>':
    case u'|':
    case u'/':
    case u'\\':
    case u':':
    case u'*':
        return true;
    default:
        break;
    }
#else
    if (c == u'/')
        return true;
#endif
    return false;
}

qsizetype StoredLength(const QString &name)
{
#ifdef Q_OS_WIN
    return name.size();
#else
    return name.toUtf8().size();
#endif
}

} // namespace

QString SafeFileName(const QString &stem, const QString &extension)
{
    QString safe = stem;
    for (QChar &c : safe) {
        if (Refused(c))
            c = u'_';
    }
    // Drop whole characters from the end of the stem until the name fits.
    while (!safe.isEmpty() && StoredLength(safe + extension) > MaxFileNameLength) {
        safe.chop(1);
        if (!safe.isEmpty() && safe.back().isHighSurrogate())
            safe.chop(1);
    }
    return safe + extension;
}

QString SongFileName(const SongEntry &song, bool noNumbers)
{
    const QString stem = noNumbers ? song.title : PositionText(song.position) + u' ' + song.title;
    return SafeFileName(stem, u".mp3"_s);
}

QString StationFolder(const QString &chosenFolder, const QString &stationName)
{
    return WithTrailingSeparator(chosenFolder) + stationName + FolderSeparator();
}

QString DateFolder(const QString &stationFolder, const QString &dateText)
{
    return stationFolder + dateText + FolderSeparator();
}
