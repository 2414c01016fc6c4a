#pragma once

#include "exchange.h"
#include "httpsession.h"
#include "receivebuffer.h"
#include "responsesummary.h"

#include <QByteArray>
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QWidget>

class QEventLoop;
class QTimer;

// The program's HTTP/1.0 client control: one request at a time through one
// Exchange, its connection's state shown as the colour of its child box I.
// Directly or through a proxy, over TCP or TLS; collects the response until the
// server closes (or its declared length or last chunk arrived), follows
// redirects, sends a silent request again (three attempts in all), can keep
// cookies.
//
// A waiting call runs a local event loop until its request has ended, so the window
// stays live; a call made while a request runs returns empty at once. Every attempt
// ends when no byte arrives for the idle time, 30 s, or when its body comes slower
// than 1 KiB in 60 s. The program's own work drives Exchanges over the same
// session and shows their states through showLight().
class G : public QWidget
{
    Q_OBJECT

public:
    // Its requests go through session, which outlives it; through a session of its
    // own when none is given.
    explicit G(QWidget *parent = nullptr, HttpSession *session = nullptr);
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

    QString host() const { return Session->RemoteHost; }
    void setHost(const QString &host) { Session->RemoteHost = host; }
    // 16 bits read as unsigned: ports above 32767 are given as negative numbers.
    qint16 port() const { return Session->RemotePort; }
    void setPort(qint16 port) { Session->RemotePort = port; }
    // Through a proxy host and port name the proxy; switching it on sets the port to 80.
    // "https://" goes through it in a CONNECT tunnel.
    bool Proxy() const { return Session->ProxyOn; }
    void setProxy(bool on);
    // Either way the jar and the Referer start empty.
    bool AcceptCookies() const { return Session->CookiesOn; }
    void setAcceptCookies(bool on);
    bool isBizy() const { return Busy; }
    QString MyCookies() const { return Session->Jar.text(); }

    void AddCookies(const QString &Value) { Session->Jar.AddCookies(Value); }
    static QString GetCookies(const QString &Data);
    // The host part of Url; unless a proxy is on, the next connection goes there.
    QString IsServer(const QString &Url) { return Session->IsServer(Url); }
    static QString DeUTF(const QString &sInput);
    static QString ToUTF(const QString &strSrc);
    static QString URLEncode(const QString &sWork);

    // A response held in memory growing beyond this many bytes fails the request (1 GiB).
    void setMaxResponseSize(qint64 bytes) { Memory.setLimit(bytes); }
    // Certificates trusted beside the system's for TLS; for tests with a CA of their own.
    void addTrustedCertificates(const QList<QSslCertificate> &certificates);
    void setTimings(const Exchange::Timings &timings) { Engine->setTimings(timings); }
    Exchange::Timings timings() const { return Engine->timings(); }

    // What this control's requests share with other exchanges of the program:
    // proxy, Referer, cookies, trusted certificates, TLS sessions.
    HttpSession *session() { return Session; }
    // Shows a connection's state; at most one change a frame, an end at once.
    void showLight(Exchange::Light light);

    int Met = 0;

Q_SIGNALS:
    void Res(const QString &text);
    void log(const QString &info);
    void PercentOfLoad(qint16 Perc);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    bool startChain(QString &Url, int method, bool wait, const QString &postData, bool postUtf,
                    ByteSink *sink, ResponseReader::Keep keep);
    bool waitForResult();
    void requestFinished();
    QString resultText() const;
    void paintLight();

    HttpSession OwnSession;
    HttpSession *Session;
    Exchange *Engine;
    QTimer *LightPace; // the light changes at most once a frame
    QWidget *I;
    QEventLoop *WaitLoop = nullptr;

    bool WaitFlag = false;
    bool Busy = false;
    bool Delivered = false;
    ByteSink *Sink = nullptr;
    ReceiveBuffer Memory;
    Exchange::Outcome LastOutcome = Exchange::Outcome::None;
    QByteArray LastBytes; // handed over and dropped by the waiting call
    ResponseSummary LastSummary;
    Exchange::Light Shown = Exchange::Light::Failed;
    Exchange::Light Wanted = Exchange::Light::Idle;
};
