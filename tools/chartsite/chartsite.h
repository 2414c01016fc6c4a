#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSslConfiguration>
#include <QString>

#include <optional>
#include <utility>

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
//
// Songs carry an ETag and a Last-Modified and answer "Range: bytes=N-" (with
// If-Range) with their rest. They can be made large and sent slowly, and the
// site can serve only a few connections at a time.
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
        // Once per song, then it is served as usual:
        Break,       // half the body, then the connection is reset
        Unavailable, // 503 with Retry-After
        TooMany,     // 429 with Retry-After
    };

    // Beyond the busy limit, a connection either waits unanswered until one of
    // those served closes, or is answered 503 with Retry-After at once.
    enum class Busy { Queue, Refuse };

    // For setSongFault: every song.
    static constexpr int EverySong = 0;

    explicit ChartSite(QObject *parent = nullptr);
    ~ChartSite() override;

    // Serve over TLS with the configuration's certificate and key; call before listen().
    void useTls(const QSslConfiguration &configuration);
    bool usesTls() const { return tls; }
    // Listens on 127.0.0.1, or on address (port 0: any free port).
    bool listen(quint16 port = 0, const QString &address = {});
    quint16 port() const;
    // "127.0.0.1:<port>"
    QString hostAndPort() const;
    // "http://" or "https://" + host
    QString origin(const QString &host) const;

    void setVersion(const QString &version) { siteVersion = version; }
    // position: 1-based, or EverySong.
    void setSongFault(int position, Fault fault);
    // Seconds the 503 and 429 answers ask the client to wait (1 unless set).
    void setRetryAfter(int seconds) { retryAfterSeconds = seconds; }
    // Each connection sends at most this many bytes a second; 0: as fast as it goes.
    void setRate(qint64 bytesPerSecond) { rate = bytesPerSecond; }
    // Songs of minBytes to maxBytes, each its own fixed size in that range; 0 and 0:
    // the usual files of a few seconds (10 to 16 KB).
    void setSongSize(qint64 minBytes, qint64 maxBytes);
    qint64 songSize(const QString &slug, const QString &date, int position) const;
    QByteArray songFile(const QString &slug, const QString &date, int position) const;
    // At most this many connections are served at once (0: no limit).
    void setBusyLimit(int connections, Busy beyond = Busy::Queue);
    // Songs on every history page (0: the usual 12 to 20).
    void setSongCount(int count) { songCount = count; }
    void clearFaults()
    {
        faults.clear();
        spent.clear();
    }

    // Requests seen, as "GET /path"; the tests count fetches with it.
    const QStringList &requests() const { return seen; }
    void clearRequests() { seen.clear(); }

    static Fault faultFromName(const QString &name);
    // "64" (KiB) or "100-8192", as bytes; nothing for anything else.
    static std::optional<std::pair<qint64, qint64>> sizeRange(const QString &kib);

Q_SIGNALS:
    void requestSeen(const QString &line);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const QByteArray &request);
    void serveSong(QTcpSocket *socket, const QString &path, const QString &host,
                   const QByteArray &request);
    void send(QTcpSocket *socket, const QByteArray &bytes, qint64 breakAt = -1);
    bool takeOnce(int position, Fault fault);
    void released(QTcpSocket *socket);

    void adopt(QTcpServer *newServer);

    QTcpServer *server = nullptr;
    bool tls = false;
    QString siteVersion = QStringLiteral("1.1");
    QHash<int, Fault> faults;
    QSet<int> spent; // songs whose one-time fault has happened
    int retryAfterSeconds = 1;
    qint64 rate = 0;
    qint64 minSize = 0, maxSize = 0;
    int busyLimit = 0;
    Busy busyBeyond = Busy::Queue;
    int served = 0;                                         // connections holding a slot
    QList<QPair<QPointer<QTcpSocket>, QByteArray>> waiting; // their requests, in order
    int songCount = 0;
    QStringList seen;
};
