#pragma once

#include "cookiejar.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSslCertificate>
#include <QString>

// What the exchanges of one client share: where they connect (a proxy, or the
// host of each URL), the Referer, the cookie jar, the certificates trusted beside
// the system's, and the TLS sessions worth resuming. Used on one thread.
class HttpSession
{
public:
    // The host part of url; unless a proxy is on, the next connection goes there.
    QString IsServer(const QString &url);

    QString RemoteHost;
    qint16 RemotePort = 80; // read as unsigned: ports above 32767 are negative here
    bool ProxyOn = false;

    bool CookiesOn = false;
    CookieJar Jar;
    // The URL the last finished request ended at; sent with the next one.
    QString Referer;

    QList<QSslCertificate> ExtraCertificates;

    // A session of an earlier connection to server ("name:port"), for the next
    // handshake with it to resume; empty when there is none.
    QByteArray tlsSession(const QString &server) const { return TlsSessions.value(server); }
    void keepTlsSession(const QString &server, const QByteArray &session);

private:
    QHash<QString, QByteArray> TlsSessions;
};
