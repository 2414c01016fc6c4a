#include "pythonhttpinstance.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

PythonHttpInstance::PythonHttpInstance() : ServerInstance(u"python3 -m http.server"_s, program()) {}

QString PythonHttpInstance::program()
{
    // Debian's own, not whichever python3 comes first on the PATH.
    const QString debian = u"/usr/bin/python3"_s;
    return QFileInfo::exists(HostProcess::localPath(debian)) ? debian : QString();
}

std::optional<QStringList> PythonHttpInstance::configure(quint16 port)
{
    return QStringList{u"-m"_s,          u"http.server"_s, u"--bind"_s,          u"127.0.0.1"_s,
                       u"--directory"_s, hostRoot(),       QString::number(port)};
}
