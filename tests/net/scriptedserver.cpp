#include "scriptedserver.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

using namespace Qt::StringLiterals;

ScriptedServer::ScriptedServer(QList<Reply> replies, QObject *parent)
    : QObject(parent), Replies(std::move(replies))
{
    connect(&Server, &QTcpServer::newConnection, this, &ScriptedServer::accept);
    if (!Server.listen(QHostAddress::LocalHost))
        qFatal("loopback listen failed");
}

QString ScriptedServer::url(const QString &path) const
{
    return u"http://127.0.0.1:"_s + QString::number(port()) + path;
}

void ScriptedServer::accept()
{
    while (QTcpSocket *socket = Server.nextPendingConnection()) {
        socket->setParent(this);
        const int connection = Connections++;
        const Reply &reply = Replies[qMin<qsizetype>(connection, Replies.size() - 1)];
        // Every connection gets its entry, also one closed at once, so that
        // Requests[connection] belongs to that connection.
        Requests.append(QByteArray());
        if (reply.CloseAtOnce) {
            socket->disconnectFromHost();
            continue;
        }
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket, connection] { readRequest(socket, connection); });
    }
}

void ScriptedServer::readRequest(QTcpSocket *socket, int connection)
{
    QByteArray &request = Requests[connection];
    request += socket->readAll();
    const qsizetype headerEnd = request.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    qsizetype bodyLength = 0;
    const qsizetype lengthAt = request.indexOf("Content-Length: ");
    if (lengthAt >= 0 && lengthAt < headerEnd)
        bodyLength = request.mid(lengthAt + 16, request.indexOf("\r\n", lengthAt) - lengthAt - 16)
                         .toLongLong();
    if (request.size() < headerEnd + 4 + bodyLength)
        return;
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    emit requestReceived(connection);
    play(socket, Replies[qMin<qsizetype>(connection, Replies.size() - 1)], 0);
}

void ScriptedServer::play(QTcpSocket *socket, const Reply &reply, qsizetype part)
{
    if (part == reply.Parts.size()) {
        switch (reply.End) {
        case Ending::Close:
            socket->disconnectFromHost();
            break;
        case Ending::Reset: {
#ifdef Q_OS_UNIX
            // Linger 0: close() sends RST instead of FIN.
            const linger hard{1, 0};
            ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                         sizeof hard);
#endif
            socket->flush();
            socket->abort();
            break;
        }
        case Ending::StayOpen:
            break;
        }
        return;
    }
    const QPointer<QTcpSocket> guard(socket);
    QTimer::singleShot(reply.Parts[part].DelayMs, this, [this, guard, reply, part] {
        if (!guard)
            return;
        guard->write(reply.Parts[part].Bytes);
        guard->flush();
        play(guard, reply, part + 1);
    });
}
