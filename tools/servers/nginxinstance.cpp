#include "nginxinstance.h"

#include <QDir>

using namespace Qt::StringLiterals;

NginxInstance::NginxInstance() : ServerInstance(u"nginx"_s, program()) {}

QString NginxInstance::program()
{
    return findProgram(u"nginx"_s);
}

bool NginxInstance::start(const QString &root, const QString &serverDirectives)
{
    Directives = serverDirectives;
    const bool started = ServerInstance::start(root);
    Directives.clear();
    return started;
}

void NginxInstance::setCertificate(const QString &certificateFile, const QString &keyFile)
{
    CertificateFile = certificateFile;
    KeyFile = keyFile;
}

std::optional<QStringList> NginxInstance::configure(quint16 port)
{
    QDir(folder()).mkpath(u"temp"_s);
    const QString dir = hostFolder();
    QString text;
    // A master started by root would hand its workers to an unprivileged user
    // who may not read our temporary folder.
    if (HostProcess::identity().root)
        text += u"user root root;\n"_s;
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
    if (CertificateFile.isEmpty()) {
        text += u"    listen 127.0.0.1:%1;\n"_s.arg(port);
    } else {
        text += u"    listen 127.0.0.1:%1 ssl;\n"_s.arg(port);
        text += u"    ssl_certificate \"%1\";\n"_s.arg(HostProcess::hostPath(CertificateFile));
        text += u"    ssl_certificate_key \"%1\";\n"_s.arg(HostProcess::hostPath(KeyFile));
    }
    text += u"    root \"%1\";\n"_s.arg(hostRoot());
    for (const ServerRedirect &r : redirects())
        text += u"    location = %1 { return %2 %3; }\n"_s.arg(r.from).arg(r.status).arg(r.to);
    if (!Directives.isEmpty())
        text += u"    "_s + Directives + u"\n"_s;
    text += u"  }\n}\n"_s;
    if (!writeFile(u"nginx.conf"_s, text))
        return std::nullopt;
    return QStringList{u"-p"_s, dir,
                       u"-c"_s, dir + u"/nginx.conf"_s,
                       u"-e"_s, dir + u"/error.log"_s,
                       u"-g"_s, u"daemon off;"_s};
}
