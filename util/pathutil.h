#pragma once

#include <QString>

// The platform's folder separator ("\" on Windows, "/" elsewhere).
QChar FolderSeparator();

// path with one trailing folder separator: appended unless path already ends in
// one (on Windows "/" counts too), so a drive or file-system root keeps a single
// separator. An empty path stays empty.
QString WithTrailingSeparator(const QString &path);
