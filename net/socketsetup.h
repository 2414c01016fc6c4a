#pragma once

#include "serveraddress.h"

#include <QString>
#include <QStringView>

class HttpSession;
class QObject;
class QTcpSocket;

// How a connection to a URL's server is made, the same for an exchange's own
// connection and one opened ahead of its request.
namespace SocketSetup {

// Where a connection for url goes without a proxy: the URL's host, on its own
// port, else 443 for https:// and the session's port for http://.
ServerAddress serverOf(const HttpSession &session, QStringView url);

// "name:port" of url's TLS server, under which its sessions are kept.
QString tlsServer(QStringView url);

// A socket for url: plain TCP, or TLS verifying the peer against the system's and
// the session's trusted certificates and offering the session's last TLS session
// with that server.
QTcpSocket *create(const HttpSession &session, QStringView url, bool tls, QObject *parent);

// Connects straight to the URL's server, TLS included (the peer is verified by the
// URL's host name), or, with tls false, plain TCP to server.
void connectTo(QTcpSocket *socket, QStringView url, bool tls, const ServerAddress &server);

} // namespace SocketSetup
