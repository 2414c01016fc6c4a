#pragma once

#include "cookiejar.h"
#include "peerclose.h"
#include "receivebuffer.h"
#include "responsereader.h"
#include "responsesummary.h"

#include <QByteArray>
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QWidget>

class QEventLoop;
class QSslError;
class QTcpSocket;
class QTimer;

// The program's HTTP/1.0 client. Fetches one URL at a time, directly or through a
// proxy, over TCP or TLS; collects the response until the server closes (or its
// declared length or last chunk arrived), follows redirects, sends a silent request
// again (three attempts in all), can keep cookies, and shows the state of its
// connection as the colour of its child box I.
//
// A waiting call runs a local event loop until its request has ended, so the window
// stays live; a call made while a request runs returns empty at once. Redirects and
// attempts of one call run one after another inside that single wait. Every attempt
// ends when no byte arrives for the idle time, 30 s.
class G : public QWidget
{
    Q_OBJECT

public:
    explicit G(QWidget *parent = nullptr);
    ~G() override;

    // Fetches Url with method 1 (GET) or 2 (POST; any other method connects and
    // sends nothing). Waiting: returns the whole last response of the redirect chain
    // as text (UTF-8 decoded when it declares that charset), "error (unlimited
    // redirect)", or "" when the request failed or was aborted. Not waiting:
    // returns "" and raises Res later. Every "&amp;" in Url becomes "&", also in
    // the caller's variable.
    QString RetUrl(QString &Url, int method, bool WaitResult, const QString &POSTdata = QString(),
                   bool PostUtf = false);
    // A waiting GET under the same rules that returns the final response's bytes as
    // received, never converted to text.
    QByteArray RetBytes(QString &Url);
    // A waiting GET that streams the final response's body into sink as it arrives
    // (chunk framing removed, headers not written). The sink restarts with every
    // attempt and redirect. Tells how the response ended; the caller decides
    // whether the body is worth keeping.
    ResponseSummary RetStream(QString &Url, ByteSink &sink);
    // How the last finished request ended (also inside a handler of Res).
    const ResponseSummary &lastResponse() const { return LastSummary; }
    // Ends the running request at once with an empty result and closes the socket.
    void Abort();

    QString host() const { return RemoteHost; }
    void setHost(const QString &host) { RemoteHost = host; }
    // 16 bits read as unsigned: ports above 32767 are given as negative numbers.
    qint16 port() const { return RemotePort; }
    void setPort(qint16 port) { RemotePort = port; }
    // Through a proxy host and port name the proxy; switching it on sets the port to 80.
    // "https://" goes through it in a CONNECT tunnel.
    bool Proxy() const { return ProxyOn; }
    void setProxy(bool on);
    // Either way the jar and the Referer start empty.
    bool AcceptCookies() const { return CookiesOn; }
    void setAcceptCookies(bool on);
    bool isBizy() const { return Busy; }
    QString MyCookies() const { return Jar.text(); }

    void AddCookies(const QString &Value) { Jar.AddCookies(Value); }
    static QString GetCookies(const QString &Data);
    // The host part of Url; unless a proxy is on, the next connection goes there.
    QString IsServer(const QString &Url);
    static QString DeUTF(const QString &sInput);
    static QString ToUTF(const QString &strSrc);
    static QString URLEncode(const QString &sWork);

    // A response held in memory growing beyond this many bytes fails the request (1 GiB).
    void setMaxResponseSize(qint64 bytes) { Memory.setLimit(bytes); }
    // Certificates trusted beside the system's for TLS; for tests with a CA of their own.
    void addTrustedCertificates(const QList<QSslCertificate> &certificates);

    int Met = 0;

Q_SIGNALS:
    void Res(const QString &text);
    void log(const QString &info);
    void PercentOfLoad(qint16 Perc);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    enum class EndedBy { Close, Error, Silence, Idle, Framed };
    enum class Outcome { Response, UnlimitedRedirect, Failure };
    enum class Light { Idle, Connecting, Sent, Receiving, Failed };

    bool startChain(QString &Url, int method, bool wait, const QString &postData, bool postUtf,
                    ByteSink *sink, ResponseReader::Keep keep);
    bool waitForResult();
    void connectToServer();
    void socketConnected();
    void sendRequest();
    void dataArrived();
    void takeArrived();
    bool readTunnelReply();
    bool readPending();
    void failReading();
    void socketError(int error);
    void tlsErrors(const QList<QSslError> &errors);
    void sendProgress();
    void idleCheck();
    void closeProcessing(EndedBy how);
    void releaseSocket();
    void finish(Outcome outcome, ResponseSummary::End ended = ResponseSummary::End::None);
    QString resultText() const;
    bool report(const QString &info);
    void setIndicator(Light light);
    void showIndicator();
    QString UrlPath(const QString &Url) const;

    QTcpSocket *WS = nullptr; // one socket per connection
    QTimer *Timeout;          // connect request to first data
    QTimer *Idle;             // no byte for this long ends an attempt
    QTimer *Pause;            // starts the next attempt or redirect from the event loop
    QTimer *LightPace;        // the light changes at most once a frame
    QWidget *I;
    QEventLoop *WaitLoop = nullptr;

    QString RemoteHost;
    qint16 RemotePort = 80;
    bool ProxyOn = false;
    bool CookiesOn = false;
    CookieJar Jar;
    QString Referer;
    QList<QSslCertificate> ExtraCertificates;

    QString CurrentUrl;
    QString PostBody;
    bool PostUtfFlag = false;
    bool WaitFlag = false;
    bool Busy = false;
    bool Delivered = false;
    bool ConnectionOpen = false;
    quint64 Chain = 0; // counts calls, so that a handler's nested call is told apart
    qint16 RedirectCount = 0;
    int Sends = 0; // attempts of the current request of the chain

    // The connection in progress.
    bool Tls = false;
    bool TunnelPending = false; // waiting for the proxy's answer to CONNECT
    bool TakeQueued = false;    // a read of what arrived over TLS is on its way
    QByteArray TunnelReply;
    QString TlsProblem; // why the handshake failed; no attempt follows
    PeerClose Peer;
    ResponseReader Reader;
    QByteArray ReadChunk; // the one buffer every read goes through

    ReceiveBuffer Memory;
    ByteSink *Sink = nullptr;
    ResponseReader::Keep Keeping = ResponseReader::Keep::WholeResponse;
    Outcome LastOutcome = Outcome::Failure;
    QByteArray LastBytes; // handed over and dropped by the waiting call
    ResponseSummary LastSummary;
    Light Shown = Light::Failed;
    Light Wanted = Light::Idle;
};
