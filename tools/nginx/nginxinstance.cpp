#include "nginxinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        return 0;
    return probe.serverPort();
}

QString configText(const QString &dir, quint16 port, const QString &root,
                   const QString &serverDirectives)
{
    QString text;
#ifdef Q_OS_UNIX
    // A master started by root would hand its workers to an unprivileged user
    // who may not read our temporary folder.
    if (::geteuid() == 0)
        text += u"user root root;\n"_s;
#endif
    text += u"worker_processes 1;\n"_s;
    text += u"pid %1/nginx.pid;\n"_s.arg(dir);
    text += u"error_log %1/error.log warn;\n"_s.arg(dir);
    text += u"events { worker_connections 64; }\n"_s;
    text += u"http {\n"_s;
    text += u"  access_log off;\n"_s;
    for (const QString &kind : {u"client_body"_s, u"proxy"_s, u"fastcgi"_s, u"uwsgi"_s, u"scgi"_s})
        text += u"  %1_temp_path %2/temp/%1;\n"_s.arg(kind, dir);
    text += u"  types { text/html html; text/plain txt; }\n"_s;
    text += u"  default_type application/octet-stream;\n"_s;
    text += u"  sendfile on;\n"_s;
    text += u"  server {\n"_s;
    text += u"    listen 127.0.0.1:%1;\n"_s.arg(port);
    text += u"    root %1;\n"_s.arg(root);
    text += u"    "_s + serverDirectives + u"\n"_s;
    text += u"  }\n}\n"_s;
    return text;
}

} // namespace

NginxInstance::~NginxInstance()
{
    stop();
}

QString NginxInstance::program()
{
    QString found = QStandardPaths::findExecutable(u"nginx"_s);
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(u"nginx"_s, {u"/usr/sbin"_s, u"/usr/local/sbin"_s});
    return found;
}

QString NginxInstance::url(const QString &path) const
{
    return u"http://127.0.0.1:"_s + QString::number(Port) + path;
}

bool NginxInstance::start(const QString &root, const QString &serverDirectives)
{
    if (program().isEmpty()) {
        Error = u"nginx is not installed"_s;
        return false;
    }
    if (!Dir.isValid()) {
        Error = u"no temporary folder"_s;
        return false;
    }
    // The free port may be taken between probing and nginx binding it; try anew.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (startOn(freeLoopbackPort(), root, serverDirectives))
            return true;
    }
    return false;
}

bool NginxInstance::startOn(quint16 port, const QString &root, const QString &serverDirectives)
{
    const QString dir = Dir.path();
    QDir(dir).mkpath(u"temp"_s);
    QFile config(dir + u"/nginx.conf"_s);
    if (port == 0 || !config.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Error = u"cannot write the configuration"_s;
        return false;
    }
    config.write(configText(dir, port, root, serverDirectives).toUtf8());
    config.close();

    Process.setProcessChannelMode(QProcess::MergedChannels);
    Process.start(program(), {u"-p"_s, dir, u"-c"_s, dir + u"/nginx.conf"_s, u"-e"_s,
                              dir + u"/error.log"_s, u"-g"_s, u"daemon off;"_s});
    if (!Process.waitForStarted(5000)) {
        Error = Process.errorString();
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (Process.state() != QProcess::Running)
            break;
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(200)) {
            Port = port;
            return true;
        }
        QThread::msleep(20);
    }
    QFile log(dir + u"/error.log"_s);
    log.open(QIODevice::ReadOnly);
    Error = QString::fromUtf8(Process.readAll() + log.readAll());
    stop();
    return false;
}

void NginxInstance::stop()
{
    if (Process.state() == QProcess::NotRunning)
        return;
    Process.terminate(); // fast shutdown of master and workers
    if (!Process.waitForFinished(5000)) {
        Process.kill();
        Process.waitForFinished(5000);
    }
    Port = 0;
}
