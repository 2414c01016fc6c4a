#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Debian's nginx run as an ordinary child process on a free loopback port, with its
// configuration, pid file, logs and temporary folders in a temporary folder of its
// own. Serves one folder; stopped when the object goes.
class NginxInstance
{
public:
    NginxInstance() = default;
    ~NginxInstance();
    NginxInstance(const NginxInstance &) = delete;
    NginxInstance &operator=(const NginxInstance &) = delete;

    // The nginx program, or "" when it is not installed.
    static QString program();

    // Serves root; serverDirectives go into the server block as they are
    // ("location = /a { return 301 /b; }"). False when nginx would not start;
    // errorText() then says why.
    bool start(const QString &root, const QString &serverDirectives = {});
    void stop();

    quint16 port() const { return Port; }
    // "http://127.0.0.1:port" + path
    QString url(const QString &path) const;
    QString errorText() const { return Error; }

private:
    bool startOn(quint16 port, const QString &root, const QString &serverDirectives);

    QTemporaryDir Dir;
    QProcess Process;
    quint16 Port = 0;
    QString Error;
};
