#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A file's bytes; for a file that cannot be read, bytes no test writes, so that
// a comparison with what was expected fails and shows why.
inline QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
