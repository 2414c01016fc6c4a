#include "apacheinstance.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

constexpr char Modules[] = "/usr/lib/apache2/modules";

QString loadModule(const QString &name)
{
    return u"LoadModule %1_module %2/mod_%1.so\n"_s.arg(name, QString::fromLatin1(Modules));
}

} // namespace

ApacheInstance::ApacheInstance() : ServerInstance(u"apache2"_s, program()) {}

QString ApacheInstance::program()
{
    // Without its modules the program alone cannot serve anything.
    if (!QFileInfo::exists(HostProcess::localPath(QString::fromLatin1(Modules)) +
                           u"/mod_mpm_event.so"_s))
        return {};
    return findProgram(u"apache2"_s);
}

bool ApacheInstance::letWorkersRead()
{
    if (HostProcess::isBridged()) {
        // The modes are the host's, which only the host's chmod sets.
        HostProcess chmod;
        if (!chmod.start(HostProcess::findProgram(u"chmod"_s), {u"-R"_s, u"o+rX"_s, hostRoot()}) ||
            !chmod.waitForFinished(10000) || chmod.exitCode() != 0) {
            setError(u"chmod o+rX "_s + hostRoot() + u": "_s + chmod.errorString() +
                     QString::fromLocal8Bit(chmod.output()));
            return false;
        }
        return true;
    }
    const QFile::Permissions folderBits = QFile::ReadOther | QFile::ExeOther;
    for (QDir above = QFileInfo(root()).dir(); !above.isRoot();
         above = QFileInfo(above.path()).dir()) {
        if (!(QFileInfo(above.path()).permissions() & QFile::ExeOther)) {
            setError(u"the workers run as nobody and cannot pass through "_s + above.path());
            return false;
        }
    }
    QFile::setPermissions(root(), QFileInfo(root()).permissions() | folderBits);
    QDirIterator it(root(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        if (entry.isSymLink())
            continue;
        const QFile::Permissions wanted = entry.isDir() ? folderBits : QFile::ReadOther;
        if ((entry.permissions() & wanted) != wanted)
            QFile::setPermissions(entry.filePath(), entry.permissions() | wanted);
    }
    return true;
}

std::optional<QStringList> ApacheInstance::configure(quint16 port)
{
    const QString dir = hostFolder();
    QString text;
    text += u"ServerRoot \"%1\"\n"_s.arg(dir);
    text += u"DefaultRuntimeDir \"%1\"\n"_s.arg(dir);
    text += u"PidFile \"%1/httpd.pid\"\n"_s.arg(dir);
    text += u"ErrorLog \"%1/error.log\"\n"_s.arg(dir);
    text += u"LogLevel warn\n"_s;
    text += u"Mutex file:%1 default\n"_s.arg(dir);
    for (const QString &module : {u"mpm_event"_s, u"authz_core"_s, u"mime"_s, u"alias"_s, u"dir"_s})
        text += loadModule(module);
    if (const HostProcess::Identity who = HostProcess::identity(); who.root) {
        if (who.nobodyGroup < 0) {
            setError(u"apache2 will not serve as root and there is no user nobody"_s);
            return std::nullopt;
        }
        if (!letWorkersRead())
            return std::nullopt;
        text += u"User nobody\nGroup #%1\n"_s.arg(who.nobodyGroup);
    }
    text += u"StartServers 1\nThreadsPerChild 16\nMinSpareThreads 4\nMaxSpareThreads 32\n"_s;
    text += u"MaxRequestWorkers 64\n"_s;
    text += u"Listen 127.0.0.1:%1\n"_s.arg(port);
    text += u"ServerName 127.0.0.1\n"_s;
    text += u"DocumentRoot \"%1\"\n"_s.arg(hostRoot());
    text += u"<Directory \"%1\">\n  Require all granted\n</Directory>\n"_s.arg(hostRoot());
    // A folder named without its "/" is redirected to the name with it, as elsewhere.
    text += u"DirectoryIndex index.html\n"_s;
    // The same few types as the other servers, and no system types file.
    text += u"TypesConfig /dev/null\nAddType text/html .html\nAddType text/plain .txt\n"_s;
    for (const ServerRedirect &r : redirects()) {
        const QString exact = u'^' + QRegularExpression::escape(r.from) + u'$';
        text += u"RedirectMatch %1 \"%2\" \"%3\"\n"_s.arg(r.status).arg(exact, r.to);
    }
    if (!writeFile(u"httpd.conf"_s, text))
        return std::nullopt;
    return QStringList{u"-d"_s, dir, u"-f"_s, dir + u"/httpd.conf"_s, u"-DFOREGROUND"_s};
}
