#pragma once

#include <QString>

// Where the folder chooser opens: at the folder named in the box when it exists,
// else at the user's music folder when there is one, else at home.
QString FolderChooserStart(const QString &boxText, const QString &music, const QString &home);
// The same with the desktop's own music and home folders.
QString FolderChooserStart(const QString &boxText);
