#include "pathutil.h"

#include <QDir>

QChar FolderSeparator()
{
    return QDir::separator();
}

QString WithTrailingSeparator(const QString &path)
{
    if (path.isEmpty())
        return path;
    const QChar last = path.back();
    if (last == FolderSeparator() || last == u'/')
        return path;
    return path + FolderSeparator();
}
