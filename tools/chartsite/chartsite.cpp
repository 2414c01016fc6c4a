#include "chartsite.h"

#include "pacedwriter.h"
#include "sitecontent.h"
#include "songreply.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

namespace {

constexpr char HeaderEnd[] = "\r\n\r\n";

QByteArray response(const QByteArray &status, const QByteArray &contentType, const QByteArray &body,
                    qsizetype announcedLength = -1, const QByteArray &headers = {})
{
    QByteArray head = "HTTP/1.0 " + status + "\r\nServer: tunetrawl-chartsite\r\n" + headers;
    if (!contentType.isEmpty())
        head += "Content-Type: " + contentType + "\r\n";
    head += "Content-Length: " +
            QByteArray::number(announcedLength < 0 ? body.size() : announcedLength) +
            "\r\nConnection: close\r\n\r\n";
    return head + body;
}

// The value of a request's header, its name in any case; empty when there is none.
QByteArray header(const QList<QByteArray> &lines, QByteArrayView name)
{
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0 &&
            QByteArrayView(lines[i]).first(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return lines[i].mid(colon + 1).trimmed();
    }
    return {};
}

quint32 fnv(const QString &text)
{
    quint32 h = 2166136261u; // stable across runs and platforms
    for (const QChar c : text) {
        h ^= c.unicode();
        h *= 16777619u;
    }
    return h;
}

QByteArray notFound()
{
    return response("404 Not Found", "text/html; charset=utf-8",
                    "<html><body><h1>404</h1>Нет такой страницы</body></html>\n");
}

} // namespace

ChartSite::ChartSite(QObject *parent) : QObject(parent)
{
    adopt(new QTcpServer(this));
}

void ChartSite::adopt(QTcpServer *newServer)
{
    delete server;
    server = newServer;
    // Not newConnection: a TLS server queues a connection only once its
    // handshake is done.
    connect(server, &QTcpServer::pendingConnectionAvailable, this, &ChartSite::onNewConnection);
}

void ChartSite::useTls(const QSslConfiguration &configuration)
{
    auto *sslServer = new QSslServer(this);
    sslServer->setSslConfiguration(configuration);
    adopt(sslServer);
    tls = true;
}

ChartSite::~ChartSite() = default;

bool ChartSite::listen(quint16 port, const QString &address)
{
    return server->listen(
        address.isEmpty() ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(address), port);
}

quint16 ChartSite::port() const
{
    return server->serverPort();
}

QString ChartSite::hostAndPort() const
{
    return u"127.0.0.1:"_s + QString::number(port());
}

QString ChartSite::origin(const QString &host) const
{
    return (tls ? u"https://"_s : u"http://"_s) + host;
}

void ChartSite::setSongFault(int position, Fault fault)
{
    if (fault == Fault::None)
        faults.remove(position);
    else
        faults.insert(position, fault);
    spent.clear();
}

void ChartSite::setSongSize(qint64 minBytes, qint64 maxBytes)
{
    minSize = std::max<qint64>(0, minBytes);
    maxSize = std::max(minSize, maxBytes);
}

qint64 ChartSite::songSize(const QString &slug, const QString &date, int position) const
{
    if (maxSize == 0)
        return SiteContent::SongFile(slug, date, position).size();
    const quint64 spread = quint64(maxSize - minSize) + 1;
    return minSize + qint64(fnv(slug + u'|' + date + u'|' + QString::number(position)) % spread);
}

QByteArray ChartSite::songFile(const QString &slug, const QString &date, int position) const
{
    return SiteContent::SongFile(slug, date, position,
                                 maxSize == 0 ? 0 : songSize(slug, date, position));
}

void ChartSite::setBusyLimit(int connections, Busy beyond)
{
    busyLimit = std::max(0, connections);
    busyBeyond = beyond;
}

bool ChartSite::takeOnce(int position, Fault fault)
{
    const Fault set = faults.value(position, faults.value(EverySong, Fault::None));
    if (set != fault || spent.contains(position))
        return false;
    spent.insert(position);
    return true;
}

ChartSite::Fault ChartSite::faultFromName(const QString &name)
{
    if (name == u"404")
        return Fault::NotFound;
    if (name == u"truncate")
        return Fault::Truncated;
    if (name == u"redirect")
        return Fault::Redirect;
    if (name == u"silent")
        return Fault::Silent;
    if (name == u"break")
        return Fault::Break;
    if (name == u"503")
        return Fault::Unavailable;
    if (name == u"429")
        return Fault::TooMany;
    return Fault::None;
}

std::optional<std::pair<qint64, qint64>> ChartSite::sizeRange(const QString &kib)
{
    const QStringList ends = kib.split(u'-');
    bool lowOk = false, highOk = false;
    const qint64 low = ends.value(0).toLongLong(&lowOk);
    const qint64 high = ends.size() == 2 ? ends[1].toLongLong(&highOk) : low;
    highOk = ends.size() == 1 ? lowOk : highOk;
    // Up to 1 GiB a song: each is made in memory when asked for.
    if (ends.size() > 2 || !lowOk || !highOk || low < 1 || high < low || high > 1024 * 1024)
        return std::nullopt;
    return std::pair{low * 1024, high * 1024};
}

void ChartSite::onNewConnection()
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        socket->setProperty("request", QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            released(socket);
            socket->deleteLater();
        });
    }
}

void ChartSite::onReadyRead(QTcpSocket *socket)
{
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    if (request.size() > 64 * 1024) {
        socket->abort();
        return;
    }
    socket->setProperty("request", request);
    if (!request.contains(HeaderEnd) || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    if (busyLimit > 0 && served >= busyLimit) {
        if (busyBeyond == Busy::Queue) {
            waiting.append({socket, request}); // accepted, read, and not answered yet
            return;
        }
        send(socket, response("503 Service Unavailable", "text/plain", "busy\n", -1,
                              "Retry-After: " + QByteArray::number(retryAfterSeconds) + "\r\n"));
        return;
    }
    if (busyLimit > 0) {
        socket->setProperty("slot", true);
        ++served;
    }
    respond(socket, request);
}

void ChartSite::released(QTcpSocket *socket)
{
    if (!socket->property("slot").toBool())
        return;
    socket->setProperty("slot", false);
    --served;
    while (served < busyLimit && !waiting.isEmpty()) {
        const auto [next, request] = waiting.takeFirst();
        if (!next || next->state() != QAbstractSocket::ConnectedState)
            continue; // its client gave up waiting
        next->setProperty("slot", true);
        ++served;
        respond(next, request);
    }
}

void ChartSite::send(QTcpSocket *socket, const QByteArray &bytes, qint64 breakAt)
{
    new PacedWriter(socket, bytes, 0, breakAt);
}

void ChartSite::respond(QTcpSocket *socket, const QByteArray &request)
{
    const QList<QByteArray> lines = request.left(request.indexOf(HeaderEnd)).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    QString host = hostAndPort();
    for (const QByteArray &line : lines) {
        if (line.startsWith("Host: "))
            host = QString::fromLatin1(line.mid(6).trimmed());
    }
    const QString target = QString::fromUtf8(requestLine.value(1));
    const QString path = target.section(u'?', 0, 0);
    const QUrlQuery query(target.section(u'?', 1));
    const QString line = QString::fromLatin1(requestLine.value(0)) + u' ' + target;
    seen.append(line);
    Q_EMIT requestSeen(line);

    if (requestLine.value(0) != "GET") {
        send(socket, response("405 Method Not Allowed", "text/plain", "GET only\n"));
        return;
    }

    static const QRegularExpression history(u"^/([a-z]*)/history/([0-9.]+)/$"_s);
    if (const auto m = history.match(path); m.hasMatch()) {
        const QString asked = query.queryItemValue(u"songs"_s);
        const int count = asked.isEmpty() ? songCount : asked.toInt();
        send(socket,
             response("200 OK", "text/html; charset=utf-8",
                      SiteContent::HistoryPage(m.captured(1), m.captured(2), origin(host), count)));
    } else if (path.startsWith(u"/songs/")) {
        serveSong(socket, path, host, request);
    } else if (path == u"/version/tunetrawl.php") {
        send(socket, response("200 OK", "text/plain; charset=windows-1251",
                              SiteContent::VersionReply(siteVersion, origin(host))));
    } else if (path == u"/download/") {
        send(socket, response("200 OK", "text/html; charset=utf-8",
                              "<html><body><h1>Tunetrawl</h1>Новая версия.</body></html>\n"));
    } else {
        send(socket, notFound());
    }
}

void ChartSite::serveSong(QTcpSocket *socket, const QString &path, const QString &host,
                          const QByteArray &request)
{
    static const QRegularExpression song(u"^/songs/(moved/)?([a-z]*)/([0-9.]+)/([0-9]+)\\.mp3$"_s);
    const auto m = song.match(path);
    if (!m.hasMatch()) {
        send(socket, notFound());
        return;
    }
    const bool moved = m.hasCaptured(1);
    const QString slug = m.captured(2), date = m.captured(3);
    const int position = m.captured(4).toInt();
    const QList<QByteArray> lines = request.left(request.indexOf(HeaderEnd)).split('\n');
    const QByteArray file = songFile(slug, date, position);
    const SongReply reply =
        SongReply::build(file, date, header(lines, "Range"), header(lines, "If-Range"));
    const QByteArray whole = response(reply.Status, "audio/mpeg", reply.Body, -1, reply.Headers);
    const QByteArray retryAfter = "Retry-After: " + QByteArray::number(retryAfterSeconds) + "\r\n";
    const Fault fault =
        moved ? Fault::None : faults.value(position, faults.value(EverySong, Fault::None));
    switch (fault) {
    case Fault::None:
        break;
    case Fault::NotFound:
        send(socket, notFound());
        return;
    case Fault::Truncated:
        send(socket, response("200 OK", "audio/mpeg", file.left(file.size() / 2), file.size()));
        return;
    case Fault::Redirect: {
        const QByteArray location =
            origin(host).toLatin1() + "/songs/moved/" + path.mid(7).toLatin1();
        send(socket, "HTTP/1.0 302 Found\r\nLocation: " + location +
                         "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return;
    }
    case Fault::Silent:
        return; // held open until the client gives up
    case Fault::Break:
        if (takeOnce(position, fault)) {
            new PacedWriter(socket, whole, rate,
                            whole.size() - reply.Body.size() + reply.Body.size() / 2);
            return;
        }
        break;
    case Fault::Unavailable:
        if (takeOnce(position, fault)) {
            send(socket,
                 response("503 Service Unavailable", "text/plain", "busy\n", -1, retryAfter));
            return;
        }
        break;
    case Fault::TooMany:
        if (takeOnce(position, fault)) {
            send(socket,
                 response("429 Too Many Requests", "text/plain", "slow down\n", -1, retryAfter));
            return;
        }
        break;
    }
    new PacedWriter(socket, whole, rate);
}
