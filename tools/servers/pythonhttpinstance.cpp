#include "pythonhttpinstance.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

PythonHttpInstance::PythonHttpInstance() : ServerInstance(u"python3 -m http.server"_s, program()) {}

QString PythonHttpInstance::program()
{
    const QFileInfo debian(u"/usr/bin/python3"_s);
    return debian.isExecutable() ? debian.filePath() : QString();
}

std::optional<QStringList> PythonHttpInstance::configure(quint16 port)
{
    return QStringList{u"-m"_s,          u"http.server"_s, u"--bind"_s,          u"127.0.0.1"_s,
                       u"--directory"_s, root(),           QString::number(port)};
}
