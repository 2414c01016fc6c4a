#include "savetofile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

bool SaveToFile(const QString &path, QByteArrayView bytes)
{
    const QString cleanPath = QDir::fromNativeSeparators(path);
    const QFileInfo target(cleanPath);
    if (target.fileName().isEmpty())
        return false;

    const QDir folder = target.absoluteDir();
    if (!folder.exists() && !QDir().mkdir(folder.absolutePath()))
        return false;

    // A read-only file is left alone: its owner marked it so. The owner's write
    // bit is the mark (the read-only attribute on Windows); access rights of the
    // current user would let root replace anything.
    if (target.exists() && (!target.isFile() || !(target.permissions() & QFileDevice::WriteOwner)))
        return false;
    // A link, even one leading nowhere, would be followed out of the folder.
    if (target.isSymLink())
        return false;

    QSaveFile file(cleanPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
