#include "connectahead.h"

#include "httpsession.h"
#include "requesttext.h"
#include "socketsetup.h"

#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

ConnectAhead::ConnectAhead(HttpSession *session, QObject *parent)
    : QObject(parent), Session(session), Expiry(new QTimer(this))
{
    Expiry->setSingleShot(true);
    connect(Expiry, &QTimer::timeout, this, &ConnectAhead::dropExpired);
}

ConnectAhead::~ConnectAhead()
{
    for (const Entry &entry : std::as_const(Entries))
        entry.Socket->disconnect(this);
}

QString ConnectAhead::serverKey(const QString &url) const
{
    const ServerAddress server = SocketSetup::serverOf(*Session, url);
    if (!server.isValid() || !RequestText::isSendable(url))
        return {};
    return (RequestText::isHttps(url) ? u"https://"_s : u"http://"_s) + server.Name + u'|' +
           QString::number(server.Port);
}

bool ConnectAhead::prepare(const QString &url)
{
    dropExpired();
    const QString key = serverKey(url);
    if (Session->ProxyOn || key.isEmpty() || Entries.size() >= Bounds.Total ||
        held(url) >= Bounds.PerServer)
        return false;
    const bool tls = RequestText::isHttps(url);
    QTcpSocket *socket = SocketSetup::create(*Session, url, tls, this);
    if (tls) {
        auto *secure = static_cast<QSslSocket *>(socket);
        const QString tlsServer = SocketSetup::tlsServer(url);
        connect(secure, &QSslSocket::encrypted, this, [this, secure, tlsServer] {
            Session->keepTlsSession(tlsServer, secure->sslConfiguration().sessionTicket());
            becameReady(secure);
        });
    } else {
        connect(socket, &QTcpSocket::connected, this, [this, socket] { becameReady(socket); });
    }
    // A server that speaks first, closes or fails leaves nothing worth handing on.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { drop(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { drop(socket); });
    Entry entry;
    entry.Server = key;
    entry.Socket = socket;
    entry.Age.start();
    Entries.append(entry);
    if (!Expiry->isActive())
        Expiry->start(Bounds.ExpiryMs);
    SocketSetup::connectTo(socket, url, tls, SocketSetup::serverOf(*Session, url));
    return true;
}

QTcpSocket *ConnectAhead::take(const QString &url)
{
    dropExpired();
    const QString key = serverKey(url);
    for (qsizetype i = 0; i < Entries.size(); ++i) {
        QTcpSocket *socket = Entries[i].Socket;
        if (Entries[i].Server != key || !Entries[i].Ready ||
            socket->state() != QAbstractSocket::ConnectedState || socket->bytesAvailable() > 0)
            continue;
        Entries.removeAt(i);
        socket->disconnect(this);
        socket->setParent(nullptr);
        return socket;
    }
    return nullptr;
}

int ConnectAhead::held(const QString &url) const
{
    const QString key = serverKey(url);
    return int(std::count_if(Entries.begin(), Entries.end(),
                             [&key](const Entry &entry) { return entry.Server == key; }));
}

int ConnectAhead::ready(const QString &url) const
{
    const QString key = serverKey(url);
    return int(std::count_if(Entries.begin(), Entries.end(), [&key](const Entry &entry) {
        return entry.Server == key && entry.Ready;
    }));
}

qsizetype ConnectAhead::find(QTcpSocket *socket) const
{
    for (qsizetype i = 0; i < Entries.size(); ++i) {
        if (Entries[i].Socket == socket)
            return i;
    }
    return -1;
}

void ConnectAhead::becameReady(QTcpSocket *socket)
{
    if (const qsizetype at = find(socket); at >= 0)
        Entries[at].Ready = true;
}

void ConnectAhead::drop(QTcpSocket *socket)
{
    const qsizetype at = find(socket);
    if (at < 0)
        return;
    Entries.removeAt(at);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void ConnectAhead::dropExpired()
{
    qint64 soonest = -1;
    for (qsizetype i = Entries.size() - 1; i >= 0; --i) {
        const qint64 left = Bounds.ExpiryMs - Entries[i].Age.elapsed();
        if (left <= 0)
            drop(Entries[i].Socket);
        else if (soonest < 0 || left < soonest)
            soonest = left;
    }
    if (soonest >= 0)
        Expiry->start(int(soonest));
    else
        Expiry->stop();
}
