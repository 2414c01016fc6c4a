#pragma once

#include "hostprocess.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// A path the server answers by itself with a redirect: GET from gives status
// (301 or 302) and a Location naming to on the same server.
struct ServerRedirect
{
    QString from;
    QString to;
    int status = 302;
};

// A real web server run as an ordinary child process (a HostProcess) on a free
// port of 127.0.0.1, with its configuration, pid file and logs in a temporary
// folder of its own. Serves one folder; stopped when the object goes. Each server program
// is a subclass that only writes its configuration; each has a static program()
// that finds it.
class ServerInstance
{
public:
    virtual ~ServerInstance();
    ServerInstance(const ServerInstance &) = delete;
    ServerInstance &operator=(const ServerInstance &) = delete;

    // Short name for messages ("nginx").
    QString name() const { return Name; }
    // The server program, or "" when it is not installed.
    QString executable() const { return Executable; }
    // False for servers that cannot answer an arbitrary path with a redirect.
    virtual bool canRedirect() const { return true; }

    // Serves root with the given redirects. False when the server would not
    // start; errorText() then says why (a missing program included).
    bool start(const QString &root, const QList<ServerRedirect> &redirects = {});
    void stop();
    bool isRunning() const { return Port != 0; }

    quint16 port() const { return Port; }
    // "http://127.0.0.1:port" + path ("https://" when the server speaks TLS).
    QString url(const QString &path) const;
    QString errorText() const { return Error; }

protected:
    ServerInstance(const QString &name, const QString &executable);
    // name on the PATH or in the sbin folders, or "".
    static QString findProgram(const QString &name);

    // Writes what the server needs into folder() and returns the arguments to
    // start executable() with; sets the error text and returns nullopt when it cannot.
    virtual std::optional<QStringList> configure(quint16 port) = 0;
    // Log files in folder() worth showing when the server fails to start.
    virtual QStringList logFiles() const { return {}; }
    virtual bool speaksTls() const { return false; }

    QString folder() const { return Dir.path(); }
    QString root() const { return Root; }
    // The same two as the server program names them in its configuration.
    QString hostFolder() const { return HostProcess::hostPath(folder()); }
    QString hostRoot() const { return HostProcess::hostPath(root()); }
    const QList<ServerRedirect> &redirects() const { return Redirects; }
    // Writes text to folder()/name; false (with the error text set) when it cannot.
    bool writeFile(const QString &name, const QString &text);
    void setError(const QString &text) { Error = text; }

private:
    bool startOn(quint16 port);
    QString startFailure() const;

    const QString Name;
    const QString Executable;
    QTemporaryDir Dir;
    HostProcess Process;
    QString Root;
    QList<ServerRedirect> Redirects;
    quint16 Port = 0;
    QString Error;
};
