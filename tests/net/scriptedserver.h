#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

// A loopback HTTP server whose every connection follows a script: read the request,
// send some parts (each after a pause), then close, reset or stay silent.
class ScriptedServer : public QObject
{
    Q_OBJECT

public:
    struct Part
    {
        QByteArray Bytes;
        int DelayMs = 0; // pause before this part is sent
    };
    enum class Ending { Close, Reset, StayOpen };
    struct Reply
    {
        QList<Part> Parts;
        Ending End = Ending::Close;
        bool CloseAtOnce = false; // close on accept, before reading anything
    };

    static Reply respond(const QByteArray &bytes) { return Reply{{{bytes, 0}}, Ending::Close}; }
    static Reply silent() { return Reply{{}, Ending::StayOpen}; }

    // Connection n follows replies[n]; connections past the list follow its last reply.
    explicit ScriptedServer(QList<Reply> replies, QObject *parent = nullptr);

    quint16 port() const { return Server.serverPort(); }
    // "http://127.0.0.1:port" + path
    QString url(const QString &path) const;
    int connections() const { return Connections; }
    // The request of each connection so far, by connection number; empty for one
    // closed at once.
    const QList<QByteArray> &requests() const { return Requests; }

Q_SIGNALS:
    void requestReceived(int connection);

private:
    void accept();
    void readRequest(QTcpSocket *socket, int connection);
    void play(QTcpSocket *socket, const Reply &reply, qsizetype part);

    QTcpServer Server;
    QList<Reply> Replies;
    QList<QByteArray> Requests;
    int Connections = 0;
};
Q_DECLARE_METATYPE(ScriptedServer::Reply)
