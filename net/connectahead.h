#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

class HttpSession;
class QTcpSocket;
class QTimer;

// Connections opened before their requests are due, so that a request need not
// wait for the TCP and TLS handshakes: an exchange given this takes a ready one
// to its server, if there is one, in place of connecting, and sends on it exactly
// what it would send on a connection of its own. Bounded per server and in all;
// a connection unused for the expiry time, or one the server closes or speaks on
// first, is dropped. Not through a proxy. Used on one thread.
class ConnectAhead : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        int PerServer = 1; // opening or ready, for one server
        int Total = 8;
        int ExpiryMs = 10000; // from the connect request on
    };

    explicit ConnectAhead(HttpSession *session, QObject *parent = nullptr);
    ~ConnectAhead() override;

    void setLimits(const Limits &limits) { Bounds = limits; }
    Limits limits() const { return Bounds; }

    // Opens a connection to url's server (scheme, host and port make a server).
    // False, opening none, past a limit, with a proxy on, or for a URL that names
    // no server.
    bool prepare(const QString &url);
    // A ready connection to url's server, untouched by it; the caller owns it
    // from now on. Nothing when there is none.
    QTcpSocket *take(const QString &url);

    // Connections to url's server that are opening or ready, and ready.
    int held(const QString &url) const;
    int ready(const QString &url) const;

private:
    struct Entry
    {
        QString Server;
        QTcpSocket *Socket = nullptr;
        QElapsedTimer Age;
        bool Ready = false;
    };

    QString serverKey(const QString &url) const;
    void becameReady(QTcpSocket *socket);
    void drop(QTcpSocket *socket);
    void dropExpired();
    qsizetype find(QTcpSocket *socket) const;

    HttpSession *Session;
    Limits Bounds;
    QList<Entry> Entries;
    QTimer *Expiry;
};
