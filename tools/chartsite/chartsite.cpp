#include "chartsite.h"

#include "sitecontent.h"

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
                    qsizetype announcedLength = -1)
{
    QByteArray head = "HTTP/1.0 " + status + "\r\nServer: tunetrawl-chartsite\r\n";
    if (!contentType.isEmpty())
        head += "Content-Type: " + contentType + "\r\n";
    head += "Content-Length: " +
            QByteArray::number(announcedLength < 0 ? body.size() : announcedLength) +
            "\r\nConnection: close\r\n\r\n";
    return head + body;
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

bool ChartSite::listen(quint16 port)
{
    return server->listen(QHostAddress::LocalHost, port);
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
    return Fault::None;
}

void ChartSite::onNewConnection()
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        socket->setProperty("request", QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
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
    if (request.contains(HeaderEnd) && !socket->property("answered").toBool()) {
        socket->setProperty("answered", true);
        respond(socket, request);
    }
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
        socket->write(response("405 Method Not Allowed", "text/plain", "GET only\n"));
        socket->disconnectFromHost();
        return;
    }

    static const QRegularExpression history(u"^/([a-z]*)/history/([0-9.]+)/$"_s);
    if (const auto m = history.match(path); m.hasMatch()) {
        const QString asked = query.queryItemValue(u"songs"_s);
        const int count = asked.isEmpty() ? songCount : asked.toInt();
        socket->write(
            response("200 OK", "text/html; charset=utf-8",
                     SiteContent::HistoryPage(m.captured(1), m.captured(2), origin(host), count)));
    } else if (path.startsWith(u"/songs/")) {
        serveSong(socket, path, host);
        return;
    } else if (path == u"/version/tunetrawl.php") {
        socket->write(response("200 OK", "text/plain; charset=windows-1251",
                               SiteContent::VersionReply(siteVersion, origin(host))));
    } else if (path == u"/download/") {
        socket->write(response("200 OK", "text/html; charset=utf-8",
                               "<html><body><h1>Tunetrawl</h1>Новая версия.</body></html>\n"));
    } else {
        socket->write(notFound());
    }
    socket->disconnectFromHost();
}

void ChartSite::serveSong(QTcpSocket *socket, const QString &path, const QString &host)
{
    static const QRegularExpression song(u"^/songs/([a-z]*)/([0-9.]+)/([0-9]+)\\.mp3$"_s);
    static const QRegularExpression moved(u"^/songs/moved/([a-z]*)/([0-9.]+)/([0-9]+)\\.mp3$"_s);
    const auto m = song.match(path);
    const auto redirected = moved.match(path);
    if (redirected.hasMatch()) {
        const QByteArray body = SiteContent::SongFile(
            redirected.captured(1), redirected.captured(2), redirected.captured(3).toInt());
        socket->write(response("200 OK", "audio/mpeg", body));
        socket->disconnectFromHost();
        return;
    }
    if (!m.hasMatch()) {
        socket->write(notFound());
        socket->disconnectFromHost();
        return;
    }
    const int position = m.captured(3).toInt();
    const QByteArray body = SiteContent::SongFile(m.captured(1), m.captured(2), position);
    switch (faults.value(position, Fault::None)) {
    case Fault::None:
        socket->write(response("200 OK", "audio/mpeg", body));
        break;
    case Fault::NotFound:
        socket->write(notFound());
        break;
    case Fault::Truncated:
        socket->write(response("200 OK", "audio/mpeg", body.left(body.size() / 2), body.size()));
        break;
    case Fault::Redirect: {
        const QByteArray location =
            origin(host).toLatin1() + "/songs/moved/" + path.mid(7).toLatin1();
        socket->write("HTTP/1.0 302 Found\r\nLocation: " + location +
                      "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        break;
    }
    case Fault::Silent:
        return; // held open until the client gives up
    }
    socket->disconnectFromHost();
}
