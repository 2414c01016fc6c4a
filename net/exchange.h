#pragma once

#include "peerclose.h"
#include "responsereader.h"
#include "responsesummary.h"
#include "resumepoint.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class ByteSink;
class ConnectAhead;
class HttpSession;
class QSslError;
class QTcpSocket;
class QTimer;

// One request's whole life, from the first connect to its one result: connection
// (TCP, TLS, a proxy's tunnel), the request bytes, the response read as it comes,
// redirects, attempts sent again after silence or failure, the watchdog, the idle
// limit, the slow-body floor and an overall deadline. Driven by its socket's and
// timers' signals; no window, no nested event loop. Several run side by side on
// one thread. Its summary tells a caller that retries what it needs to go on.
class Exchange : public QObject
{
    Q_OBJECT

public:
    enum class State {
        Idle,        // never started
        Pausing,     // before an attempt: deferred start, a re-send's pause, a redirect
        Connecting,  // to the server or the proxy
        Tunnelling,  // asked the proxy for a tunnel
        Handshaking, // TLS
        Waiting,     // request sent, nothing came yet
        Receiving,
        Finished, // outcome() and summary() tell how
    };
    Q_ENUM(State)

    enum class Outcome {
        None,              // not finished
        Response,          // a response was delivered (summary().Delivered)
        UnlimitedRedirect, // too many redirects
        Failure,           // nothing usable: no answer, refused, aborted, past the deadline
    };

    // Why an exchange ended in Outcome::Failure.
    enum class Failure {
        None,
        NoAnswer,  // every attempt ended with nothing received
        Stalled,   // no byte for the idle time
        TooSlow,   // the body came slower than the floor
        Tls,       // the handshake or the certificate failed
        Tunnel,    // the proxy opened no tunnel
        Address,   // the URL cannot be sent or names no server
        Malformed, // a body was asked for and no head ended
        TooLarge,  // past the memory limit
        Storage,   // the sink took no more
        Aborted,
        Deadline,
    };

    // What a state light shows for the connection: the last event of it.
    enum class Light { Idle, Connecting, Sent, Receiving, Failed };
    Q_ENUM(Light)

    struct Timings
    {
        int FirstDataMs = 5000;  // connect request to the first byte of a connection
        int IdleMs = 30000;      // no byte for this long ends an attempt as a failure
        int ResendPauseMs = 500; // before a failed attempt goes again (a silent one at once)
        int DeadlineMs = 0;      // the whole exchange; 0 for no limit
        int Attempts = 3;        // of one request that brings nothing, before it gives up
        // From the first byte on, fewer than FloorBytes in any FloorMs ends an attempt
        // as too slow (curl's --speed-limit and --speed-time); 0 for no floor.
        int FloorBytes = 1024;
        int FloorMs = 60000;
    };

    struct Request
    {
        QString Url;
        int Method = 1; // 1 GET, 2 POST; any other connects and sends nothing
        QString PostBody;
        bool PostUtf = false;
    };

    // A 3xx response's body is never used; past this much of it the redirect is
    // followed without reading the rest.
    static constexpr qint64 MaxRedirectBody = qint64(1) << 20;

    explicit Exchange(HttpSession *session, QObject *parent = nullptr);
    ~Exchange() override;

    void setTimings(const Timings &timings);
    Timings timings() const;
    // Connections opened ahead, taken where one is ready for the request's server.
    void useConnectAhead(ConnectAhead *ahead) { Ahead = ahead; }

    enum class Start { Now, FromEventLoop };
    // Begins request, its response going into sink (whole, or the body only). False,
    // changing nothing, while another request runs. A start from the event loop
    // makes sure finished() never comes inside this call.
    //
    // With a usable resume point, a GET for a body goes on from the bytes the sink
    // holds: its rest is asked for with Range and If-Range, and the response's head
    // decides (ResumePoint::verdict) whether it is appended, starts the sink over,
    // or stays out of it; a part that does not fit is asked for again, at once,
    // from the first byte. Without one, the request is a first one: no Range.
    bool start(const Request &request, ByteSink *sink, ResponseReader::Keep keep,
               Start when = Start::Now, const ResumePoint &resume = ResumePoint());
    // Ends a running request at once as a failure; finished() follows.
    void abort();

    State state() const { return Current; }
    bool isRunning() const { return Current != State::Idle && Current != State::Finished; }
    Outcome outcome() const { return Result; }
    Failure failure() const { return Why; }
    const ResponseSummary &summary() const { return Summary; }
    // The URL asked last: after a redirect, its target.
    QString currentUrl() const { return CurrentUrl; }
    int method() const { return Met; }

Q_SIGNALS:
    void log(const QString &info);
    void lightChanged(Exchange::Light light);
    // received counts the whole response so far, head included; length is the
    // body length the head declares (only reported when it is known and not 0).
    void progress(qint64 received, qint64 headSize, qint64 length);
    // The body so far, at every arrival once the head is in, whether or not its
    // length is known (-1 when not); a resumed body with what the sink held.
    void bodyProgress(qint64 bodyBytes, qint64 length);
    // Once per start; the request is over and another may start from a handler.
    void finished(const ResponseSummary &summary);

private:
    enum class EndedBy { Close, Error, Silence, Idle, Slow, Framed };

    void setState(State state);
    void setLight(Light light);
    bool report(const QString &info);
    void connectToServer();
    void wire(QTcpSocket *socket);
    void adopt(QTcpSocket *socket);
    void socketConnected();
    void sendRequest();
    bool readTunnelReply();
    void dataArrived();
    void takeArrived();
    bool readPending();
    bool redirectBodyEnough() const;
    void failReading();
    bool startOverIfRefused();
    void floorTick();
    void socketError(int error);
    void tlsErrors(const QList<QSslError> &errors);
    void keepTlsSession();
    void sendProgress();
    void closeProcessing(EndedBy how);
    void releaseSocket();
    void finish(Outcome outcome, ResponseSummary::End ended = ResponseSummary::End::None);
    void fail(Failure why);
    ResponseSummary::Setback setback() const;

    HttpSession *Session;
    QTcpSocket *WS = nullptr; // one socket per connection
    QTimer *Timeout;          // connect request to first data
    QTimer *Idle;             // no byte for this long ends an attempt
    QTimer *Pause;            // starts the next attempt from the event loop
    QTimer *Deadline;         // the whole exchange
    QTimer *Floor;            // samples what came, for the slow-body floor
    ConnectAhead *Ahead = nullptr;
    int ResendMs = 0;
    int IdleMs = 0;
    int Attempts = 3;
    int FloorBytes = 0;
    int FloorMs = 0;
    static constexpr int FloorSteps = 8; // samples per floor time
    qint64 FloorSamples[FloorSteps + 1] = {};
    int FloorTicks = 0;
    QElapsedTimer LastByte;

    State Current = State::Idle;
    Outcome Result = Outcome::None;
    Failure Why = Failure::None;
    ResponseSummary Summary;
    quint64 Run = 0; // counts starts, so that a handler's new start is told apart

    // The request of the chain in progress.
    QString CurrentUrl;
    int Met = 1;
    QString PostBody;
    bool PostUtfFlag = false;
    QString Referer; // as the chain began
    int RedirectCount = 0;
    int Sends = 0;      // attempts of the current request of the chain
    ResumePoint Resume; // cleared once a response shows the body cannot go on from it
    // Why the last attempt brought nothing.
    ResponseSummary::Setback Silence = ResponseSummary::Setback::None;
    int LastError = -1; // the socket's, for the attempt in progress

    // The connection in progress.
    bool Tls = false;
    bool TakeQueued = false; // a read of what arrived over TLS is on its way
    QByteArray TunnelReply;
    QString TlsProblem; // why the handshake failed; no attempt follows
    PeerClose Peer;
    ByteSink *Sink = nullptr;
    ResponseReader::Keep Keeping = ResponseReader::Keep::WholeResponse;
    ResponseReader Reader;
    QByteArray ReadChunk; // the one buffer every read goes through
};
