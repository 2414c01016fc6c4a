#include "hostprocess_p.h"

using namespace Qt::StringLiterals;

// Windows has no root and no user nobody; the servers need neither.
HostProcess::Identity localIdentity()
{
    return {};
}

// Under Wine the Linux root is drive Z:.
QString bridgedHostPath(const QString &localPath)
{
    if (localPath.size() < 3 || localPath.at(1) != u':' || localPath.at(0).toUpper() != u'Z')
        return localPath;
    QString path = localPath.mid(2);
    path.replace(u'\\', u'/');
    return path;
}

QString bridgedLocalPath(const QString &hostPath)
{
    return hostPath.startsWith(u'/') ? u"Z:"_s + hostPath : hostPath;
}
