#include "serverinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace {

constexpr char OutputLog[] = "output.log";

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        return 0;
    return probe.serverPort();
}

// Paths go into configuration files as they are; anything that could end a
// quoted value or a directive there is refused.
bool isPlainPath(const QString &path)
{
    static const QRegularExpression plain(u"^/[A-Za-z0-9._~/-]*$"_s);
    return plain.match(path).hasMatch();
}

QString checkRedirects(const QList<ServerRedirect> &redirects)
{
    for (const ServerRedirect &r : redirects) {
        if (r.status != 301 && r.status != 302)
            return u"redirect status %1 is neither 301 nor 302"_s.arg(r.status);
        if (!isPlainPath(r.from) || !isPlainPath(r.to))
            return u"redirect paths must be plain absolute paths: %1 -> %2"_s.arg(r.from, r.to);
    }
    return {};
}

QString readAll(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

} // namespace

ServerInstance::ServerInstance(const QString &name, const QString &executable)
    : Name(name), Executable(executable)
{}

ServerInstance::~ServerInstance()
{
    stop();
}

QString ServerInstance::findProgram(const QString &name)
{
    return HostProcess::findProgram(name, {u"/usr/sbin"_s, u"/usr/local/sbin"_s});
}

QString ServerInstance::url(const QString &path) const
{
    return (speaksTls() ? u"https://127.0.0.1:"_s : u"http://127.0.0.1:"_s) +
           QString::number(Port) + path;
}

bool ServerInstance::start(const QString &root, const QList<ServerRedirect> &redirects)
{
    stop();
    Error.clear();
    if (Executable.isEmpty()) {
        Error = Name + u" is not installed (scripts/install-deps.sh installs it)"_s;
        return false;
    }
    if (!redirects.isEmpty() && !canRedirect()) {
        Error = Name + u" cannot answer an arbitrary path with a redirect"_s;
        return false;
    }
    if (const QString wrong = checkRedirects(redirects); !wrong.isEmpty()) {
        Error = wrong;
        return false;
    }
    const QFileInfo rootInfo(root);
    if (!rootInfo.isDir() || !rootInfo.isAbsolute()) {
        Error = u"not an absolute path of a folder: "_s + root;
        return false;
    }
    if (!Dir.isValid()) {
        Error = u"no temporary folder: "_s + Dir.errorString();
        return false;
    }
    Root = QDir::cleanPath(root);
    Redirects = redirects;
    // The free port may be taken between probing and the server binding it; try anew.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const quint16 port = freeLoopbackPort();
        if (port != 0 && startOn(port))
            return true;
        if (port != 0 && !Error.contains(u"Address already in use"_s))
            break;
    }
    Error = Name + u" did not start: "_s + Error;
    return false;
}

bool ServerInstance::startOn(quint16 port)
{
    const std::optional<QStringList> arguments = configure(port);
    if (!arguments)
        return false;

    // Each attempt's own messages only.
    for (const QString &name : QStringList{QString::fromLatin1(OutputLog)} + logFiles())
        QFile::remove(Dir.filePath(name));
    // Into a file rather than a pipe: a server that logs every request would
    // block once nobody read a full pipe.
    Process.setOutputFile(Dir.filePath(QString::fromLatin1(OutputLog)));
    Process.setWorkingDirectory(Dir.path());
    if (!Process.start(Executable, *arguments)) {
        Error = Process.errorString();
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && Process.isRunning()) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(200) && Process.isRunning()) {
            Port = port;
            return true;
        }
        // Also the one way to learn of an exit without an event loop.
        Process.waitForFinished(20);
    }
    const bool exited = !Process.isRunning();
    stop();
    Error = startFailure();
    if (Error.isEmpty()) {
        Error = exited ? u"exited with code %1"_s.arg(Process.exitCode())
                       : u"nothing listened on 127.0.0.1:%1 within 10 s"_s.arg(port);
    }
    return false;
}

QString ServerInstance::startFailure() const
{
    QStringList parts;
    for (const QString &name : QStringList{QString::fromLatin1(OutputLog)} + logFiles()) {
        const QString text = readAll(Dir.filePath(name));
        if (!text.isEmpty())
            parts.append(text);
    }
    return parts.join(u'\n');
}

bool ServerInstance::writeFile(const QString &name, const QString &text)
{
    QFile file(Dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0 ||
        !file.flush()) {
        Error = u"cannot write "_s + file.fileName() + u": "_s + file.errorString();
        return false;
    }
    return true;
}

void ServerInstance::stop()
{
    Port = 0;
    if (!Process.isRunning())
        return;
    Process.terminate(); // every one of these servers shuts down on SIGTERM
    if (!Process.waitForFinished(5000)) {
        Process.kill();
        Process.waitForFinished(5000);
    }
}
