#include "lighttpdinstance.h"

using namespace Qt::StringLiterals;

LighttpdInstance::LighttpdInstance() : ServerInstance(u"lighttpd"_s, program()) {}

QString LighttpdInstance::program()
{
    return findProgram(u"lighttpd"_s);
}

std::optional<QStringList> LighttpdInstance::configure(quint16 port)
{
    const QString dir = hostFolder();
    QString text;
    text += u"server.document-root = \"%1\"\n"_s.arg(hostRoot());
    text += u"server.bind = \"127.0.0.1\"\n"_s;
    text += u"server.port = %1\n"_s.arg(port);
    text += u"server.pid-file = \"%1/lighttpd.pid\"\n"_s.arg(dir);
    text += u"server.errorlog = \"%1/error.log\"\n"_s.arg(dir);
    text += u"server.upload-dirs = ( \"%1\" )\n"_s.arg(dir);
    text += u"server.modules = ( \"mod_redirect\" )\n"_s;
    text += u"mimetype.assign = ( \".html\" => \"text/html\", \".txt\" => \"text/plain\", "
            "\"\" => \"application/octet-stream\" )\n"_s;
    // The pattern "" matches every path the condition lets through; the target
    // is taken literally, as the paths hold no "$" or "%".
    for (const ServerRedirect &r : redirects()) {
        text += u"$HTTP[\"url\"] == \"%1\" {\n  url.redirect = ( \"\" => \"%2\" )\n"
                "  url.redirect-code = %3\n}\n"_s.arg(r.from, r.to)
                    .arg(r.status);
    }
    if (!writeFile(u"lighttpd.conf"_s, text))
        return std::nullopt;
    return QStringList{u"-D"_s, u"-f"_s, dir + u"/lighttpd.conf"_s};
}
