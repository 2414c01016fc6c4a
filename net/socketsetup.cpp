#include "socketsetup.h"

#include "httpsession.h"
#include "requesttext.h"

#include <QSslConfiguration>
#include <QSslSocket>

using namespace Qt::StringLiterals;

namespace {

// Qt's own read buffer stays this small; the rest waits in the kernel.
constexpr qint64 socketBufferSize = 1024 * 1024;

} // namespace

namespace SocketSetup {

ServerAddress serverOf(const HttpSession &session, QStringView url)
{
    const int defaultPort = RequestText::isHttps(url) ? 443 : quint16(session.RemotePort);
    return ServerAddress::parse(RequestText::host(url), defaultPort);
}

QString tlsServer(QStringView url)
{
    const ServerAddress origin = ServerAddress::parse(RequestText::host(url), 443);
    return origin.Name + u':' + QString::number(origin.Port);
}

QTcpSocket *create(const HttpSession &session, QStringView url, bool tls, QObject *parent)
{
    QTcpSocket *socket = nullptr;
    if (tls) {
        auto *secure = new QSslSocket(parent);
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setPeerVerifyMode(QSslSocket::VerifyPeer);
        if (!session.ExtraCertificates.isEmpty())
            config.addCaCertificates(session.ExtraCertificates);
        // Songs of one host resume the first one's session: a shorter handshake.
        config.setSslOption(QSsl::SslOptionDisableSessionPersistence, false);
        config.setSessionTicket(session.tlsSession(tlsServer(url)));
        secure->setSslConfiguration(config);
        socket = secure;
    } else {
        socket = new QTcpSocket(parent);
    }
    socket->setObjectName(u"WS"_s);
    socket->setReadBufferSize(socketBufferSize);
    return socket;
}

void connectTo(QTcpSocket *socket, QStringView url, bool tls, const ServerAddress &server)
{
    if (tls) {
        auto *secure = static_cast<QSslSocket *>(socket);
        secure->setPeerVerifyName(ServerAddress::parse(RequestText::host(url), 443).Name);
        secure->connectToHostEncrypted(server.Name, server.Port);
    } else {
        socket->connectToHost(server.Name, server.Port);
    }
}

} // namespace SocketSetup
