#include "songfiles.h"

#include "pathutil.h"

using namespace Qt::StringLiterals;

namespace {

bool Refused(QChar c)
{
    // Control characters are legal in Linux names but break listings, shells and
    // copies to other systems; they go everywhere.
    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
        return true;
#ifdef Q_OS_WIN
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

// What the units at i (one character, two for a surrogate pair) take in a stored
// name; advances i past them.
qsizetype StoredLength(QStringView name, qsizetype &i)
{
    const char16_t u = name[i++].unicode();
#ifdef Q_OS_WIN
    if (QChar::isHighSurrogate(u) && i < name.size() && name[i].isLowSurrogate()) {
        ++i;
        return 2;
    }
    return 1;
#else
    // As QString::toUtf8 writes it; a lone surrogate becomes one '?'.
    if (u < 0x80)
        return 1;
    if (u < 0x800)
        return 2;
    if (QChar::isHighSurrogate(u) && i < name.size() && name[i].isLowSurrogate()) {
        ++i;
        return 4;
    }
    return QChar::isSurrogate(u) ? 1 : 3;
#endif
}

qsizetype StoredLength(QStringView name)
{
    qsizetype length = 0;
    for (qsizetype i = 0; i < name.size();)
        length += StoredLength(name, i);
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
        used += StoredLength(stem, next);
        if (used > room)
            break;
        kept = next;
    }
    QString safe = stem.left(kept);
    for (QChar &c : safe) {
        if (Refused(c))
            c = u'_';
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
