#pragma once

#include "cookiejar.h"
#include "loadprogress.h"
#include "receivebuffer.h"

#include <QByteArray>
#include <QString>
#include <QWidget>

class QEventLoop;
class QTcpSocket;
class QTimer;

// The program's HTTP/1.0 client. Fetches one URL at a time, directly or through a
// proxy, collects the response until the server closes, follows redirects, sends a
// silent request again (three attempts in all), can keep cookies, and shows the
// state of its connection as the colour of its child box I.
//
// A waiting call runs a local event loop until its request has ended, so the window
// stays live; a call made while a request runs returns empty at once. Redirects and
// attempts of one call run one after another inside that single wait.
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
    // The bytes of the last result, kept until the next request starts.
    QByteArray RawResult() const { return LastBytes; }
    // Ends the running request at once with an empty result and closes the socket.
    void Abort();

    QString host() const { return RemoteHost; }
    void setHost(const QString &host) { RemoteHost = host; }
    // 16 bits read as unsigned: ports above 32767 are given as negative numbers.
    qint16 port() const { return RemotePort; }
    void setPort(qint16 port) { RemotePort = port; }
    // Through a proxy host and port name the proxy; switching it on sets the port to 80.
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

    // A response growing beyond this many bytes fails the request (1 GiB).
    void setMaxResponseSize(qint64 bytes) { MaxResponseSize = bytes; }

    int Met = 0;

Q_SIGNALS:
    void Res(const QString &text);
    void log(const QString &info);
    void PercentOfLoad(qint16 Perc);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    enum class EndedBy { Close, Error, Silence };
    enum class Outcome { Response, UnlimitedRedirect, Failure };
    enum class ResultForm { Text, Bytes };
    enum class Light { Idle, Connecting, Sent, Receiving, Failed };

    bool startChain(QString &Url, int method, bool wait, const QString &postData, bool postUtf,
                    ResultForm form);
    bool waitForResult();
    void connectToServer();
    void socketConnected();
    void dataArrived();
    void socketError(int error);
    void sendProgress();
    void closeProcessing(EndedBy how);
    bool readPending();
    void failTooLarge();
    void releaseSocket();
    void finish(Outcome outcome);
    QString resultText() const;
    void setIndicator(Light light);
    QString UrlPath(const QString &Url) const;

    QTcpSocket *WS = nullptr; // one socket per connection
    QTimer *Timeout;          // connect request to first data
    QTimer *Pause;            // starts the next attempt or redirect from the event loop
    QWidget *I;
    QEventLoop *WaitLoop = nullptr;

    QString RemoteHost;
    qint16 RemotePort = 80;
    bool ProxyOn = false;
    bool CookiesOn = false;
    CookieJar Jar;
    QString Referer;

    QString CurrentUrl;
    QString PostBody;
    bool PostUtfFlag = false;
    bool WaitFlag = false;
    ResultForm Form = ResultForm::Text;
    bool Busy = false;
    bool Delivered = false;
    bool ConnectionOpen = false;
    qint16 RedirectCount = 0;
    int Sends = 0; // attempts of the current request of the chain
    ReceiveBuffer Received;
    LoadProgress Progress;
    qint64 MaxResponseSize;
    Outcome LastOutcome = Outcome::Failure;
    QByteArray LastBytes;
    Light Indicator = Light::Failed;
};
