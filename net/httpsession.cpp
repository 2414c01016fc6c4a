#include "httpsession.h"

#include "requesttext.h"

QString HttpSession::IsServer(const QString &url)
{
    const QString server = RequestText::host(url);
    if (!ProxyOn && server != RemoteHost)
        RemoteHost = server;
    return server;
}

void HttpSession::keepTlsSession(const QString &server, const QByteArray &session)
{
    if (!session.isEmpty())
        TlsSessions.insert(server, session);
}
