#include "longpath_win.h"

#include <QDir>
#include <QFileInfo>

std::wstring LongPath(const QString &path)
{
    QString native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (native.startsWith(u"\\\\?\\"))
        return native.toStdWString();
    if (native.startsWith(u"\\\\"))
        native = QStringLiteral("\\\\?\\UNC\\") + native.mid(2);
    else
        native = QStringLiteral("\\\\?\\") + native;
    return native.toStdWString();
}
