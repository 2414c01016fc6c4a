#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QTcpSocket;
class QTimer;

// Sends a response on a socket as a slow or broken link would: at most a rate
// of bytes a second (none: as fast as the client takes them), then closes; or,
// past a given number of bytes, resets the connection once they have left.
// Never more than a little is queued in the socket, so a large song costs no
// memory beyond itself. Goes with its socket.
class PacedWriter : public QObject
{
    Q_OBJECT

public:
    // bytesPerSecond 0: no pace. breakAt < 0: no break.
    PacedWriter(QTcpSocket *socket, QByteArray bytes, qint64 bytesPerSecond, qint64 breakAt = -1);

private:
    void pump();
    void waitForSentThenReset();

    QPointer<QTcpSocket> Socket;
    QByteArray Bytes;
    qint64 Rate;
    qint64 BreakAt;
    qint64 Sent = 0;
    QElapsedTimer Clock;
    QTimer *Tick;
    int ResetWaits = 0;
};
