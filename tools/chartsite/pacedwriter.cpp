#include "pacedwriter.h"

#include "connectionreset.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace {

constexpr qint64 queued = 256 * 1024; // at most this much waits in the socket
constexpr int tickMs = 20;

} // namespace

PacedWriter::PacedWriter(QTcpSocket *socket, QByteArray bytes, qint64 bytesPerSecond,
                         qint64 breakAt)
    : QObject(socket), Socket(socket), Bytes(std::move(bytes)), Rate(bytesPerSecond),
      BreakAt(breakAt < 0 ? -1 : std::min<qint64>(breakAt, Bytes.size())), Tick(new QTimer(this))
{
    Tick->setInterval(tickMs);
    connect(Tick, &QTimer::timeout, this, &PacedWriter::pump);
    connect(socket, &QTcpSocket::bytesWritten, this, &PacedWriter::pump);
    Clock.start();
    if (Rate > 0)
        Tick->start();
    pump();
}

void PacedWriter::pump()
{
    if (!Socket || Socket->state() != QAbstractSocket::ConnectedState || ResetWaits > 0)
        return;
    const qint64 end = BreakAt >= 0 ? BreakAt : Bytes.size();
    qint64 allowed = end - Sent;
    if (Rate > 0)
        allowed = std::min(allowed, Rate * Clock.elapsed() / 1000 - Sent);
    allowed = std::min(allowed, queued - Socket->bytesToWrite());
    if (allowed > 0) {
        Socket->write(Bytes.constData() + Sent, allowed);
        Sent += allowed;
    }
    if (Sent < end)
        return;
    Tick->stop();
    disconnect(Socket, &QTcpSocket::bytesWritten, this, &PacedWriter::pump);
    if (BreakAt >= 0)
        waitForSentThenReset();
    else
        Socket->disconnectFromHost();
}

// A reset drops whatever is still unsent, so it waits until the peer has it all.
void PacedWriter::waitForSentThenReset()
{
    if (!Socket)
        return;
    Socket->flush();
    if ((Socket->bytesToWrite() > 0 || ConnectionReset::unacknowledged(Socket) > 0) &&
        ++ResetWaits < 1000) {
        QTimer::singleShot(10, this, &PacedWriter::waitForSentThenReset);
        return;
    }
    ConnectionReset::reset(Socket);
}
