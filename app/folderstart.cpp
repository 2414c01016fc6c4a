#include "folderstart.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString FolderChooserStart(const QString &boxText, const QString &music, const QString &home)
{
    for (const QString &folder : {boxText, music}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return home;
}

QString FolderChooserStart(const QString &boxText)
{
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    const QString home = QDir::homePath();
    // Where there is no music folder, some systems name home instead.
    return FolderChooserStart(boxText, music == home ? QString() : music, home);
}
