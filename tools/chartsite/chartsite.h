#pragma once

#include <QHash>
#include <QObject>
#include <QSslConfiguration>
#include <QString>

class QTcpServer;
class QTcpSocket;

// The stand-in chart site: a small HTTP/1.0 server on loopback that serves
// history pages, songs and the version script, and misbehaves on request; over
// TLS when given a certificate, its addresses then starting "https://".
//
//   GET /<slug>/history/<dd.MM.yyyy>/[?songs=N]   the page (UTF-8)
//   GET /songs/<slug>/<date>/<n>.mp3              the song at place n
//   GET /version/tunetrawl.php                    the version reply
//   GET /download/                                the download page
class ChartSite : public QObject
{
    Q_OBJECT

public:
    // How the song at a place misbehaves.
    enum class Fault {
        None,
        NotFound,  // 404 with an error page
        Truncated, // Content-Length of the whole song, half of it sent, then closed
        Redirect,  // 302 to the same song elsewhere on the site
        Silent,    // the connection is accepted and nothing is ever sent
    };

    explicit ChartSite(QObject *parent = nullptr);
    ~ChartSite() override;

    // Serve over TLS with the configuration's certificate and key; call before listen().
    void useTls(const QSslConfiguration &configuration);
    bool usesTls() const { return tls; }
    // Listens on 127.0.0.1 (port 0: any free port).
    bool listen(quint16 port = 0);
    quint16 port() const;
    // "127.0.0.1:<port>"
    QString hostAndPort() const;
    // "http://" or "https://" + host
    QString origin(const QString &host) const;

    void setVersion(const QString &version) { siteVersion = version; }
    void setSongFault(int position, Fault fault);
    // Songs on every history page (0: the usual 12 to 20).
    void setSongCount(int count) { songCount = count; }
    void clearFaults() { faults.clear(); }

    // Requests seen, as "GET /path"; the tests count fetches with it.
    const QStringList &requests() const { return seen; }
    void clearRequests() { seen.clear(); }

    static Fault faultFromName(const QString &name);

Q_SIGNALS:
    void requestSeen(const QString &line);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const QByteArray &request);
    void serveSong(QTcpSocket *socket, const QString &path, const QString &host);

    void adopt(QTcpServer *newServer);

    QTcpServer *server = nullptr;
    bool tls = false;
    QString siteVersion = QStringLiteral("1.1");
    QHash<int, Fault> faults;
    int songCount = 0;
    QStringList seen;
};
