#include "g.h"

#include "ansicodec.h"
#include "closedecision.h"
#include "requesttext.h"
#include "serveraddress.h"
#include "textcodecs.h"

#include <QEventLoop>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString unlimitedRedirect = u"error (unlimited redirect)"_s;
constexpr qint64 oneGiB = qint64(1) << 30;
constexpr int timeoutMs = 5000;
// A failed attempt is sent again after this pause; a silent one at once, since the
// watchdog has already waited.
constexpr int resendPauseMs = 500;

// The response's header block as text, decoded the way the whole response is.
QString headerText(const QByteArray &response)
{
    const qsizetype end = response.indexOf("\r\n\r\n");
    if (end < 0)
        return {};
    const QByteArray block = response.left(end + 4);
    return TextCodecs::DeclaresUtf8(response) ? QString::fromUtf8(block) : Ansi::toText(block);
}

} // namespace

G::G(QWidget *parent)
    : QWidget(parent), Timeout(new QTimer(this)), Pause(new QTimer(this)), I(new QWidget(this)),
      MaxResponseSize(oneGiB)
{
    Timeout->setObjectName(u"Timeout"_s);
    Timeout->setInterval(timeoutMs);
    Timeout->setSingleShot(true);
    connect(Timeout, &QTimer::timeout, this, [this] { closeProcessing(EndedBy::Silence); });

    Pause->setSingleShot(true);
    connect(Pause, &QTimer::timeout, this, &G::connectToServer);

    I->setObjectName(u"I"_s);
    I->setAutoFillBackground(true);
    setIndicator(Light::Idle);
}

G::~G()
{
    if (WS)
        WS->disconnect(this);
    if (WaitLoop)
        WaitLoop->quit();
}

void G::resizeEvent(QResizeEvent *)
{
    I->setGeometry(rect());
}

QString G::RetUrl(QString &Url, int method, bool WaitResult, const QString &POSTdata, bool PostUtf)
{
    if (!startChain(Url, method, WaitResult, POSTdata, PostUtf, ResultForm::Text))
        return {};
    if (!WaitResult || !waitForResult())
        return {};
    const QString text = resultText();
    Busy = false;
    return text;
}

QByteArray G::RetBytes(QString &Url)
{
    if (!startChain(Url, 1, true, QString(), false, ResultForm::Bytes))
        return {};
    if (!waitForResult())
        return {};
    Busy = false;
    return LastBytes;
}

void G::Abort()
{
    Pause->stop();
    Timeout->stop();
    if (WS) {
        ConnectionOpen = false;
        releaseSocket();
        setIndicator(Light::Idle);
    }
    if (Busy && !Delivered)
        finish(Outcome::Failure);
}

void G::setProxy(bool on)
{
    ProxyOn = on;
    if (on)
        RemotePort = 80;
}

void G::setAcceptCookies(bool on)
{
    CookiesOn = on;
    Jar.clear();
    Referer.clear();
}

QString G::GetCookies(const QString &Data)
{
    return CookieJar::GetCookies(Data);
}

QString G::IsServer(const QString &Url)
{
    const QString server = RequestText::host(Url);
    if (!ProxyOn && server != RemoteHost)
        RemoteHost = server;
    return server;
}

QString G::UrlPath(const QString &Url) const
{
    return RequestText::path(Url);
}

QString G::DeUTF(const QString &sInput)
{
    return TextCodecs::DeUTF(sInput);
}

QString G::ToUTF(const QString &strSrc)
{
    return TextCodecs::ToUTF(strSrc);
}

QString G::URLEncode(const QString &sWork)
{
    return TextCodecs::URLEncode(sWork);
}

bool G::startChain(QString &Url, int method, bool wait, const QString &postData, bool postUtf,
                   ResultForm form)
{
    if (Busy)
        return false;
    Busy = true;
    Delivered = false;
    WaitFlag = wait;
    Met = method;
    Form = form;
    Url.replace(u"&amp;"_s, u"&"_s);
    CurrentUrl = Url;
    PostBody = postData;
    PostUtfFlag = postUtf;
    RedirectCount = 0;
    Sends = 0;
    LastBytes.clear();
    LastOutcome = Outcome::Failure;
    if (wait)
        connectToServer();
    else
        Pause->start(0); // Res always comes from the event loop, never inside RetUrl
    return true;
}

bool G::waitForResult()
{
    const QPointer<G> self(this);
    QEventLoop loop;
    WaitLoop = &loop;
    while (!Delivered) {
        loop.exec();
        if (!self)
            return false; // destroyed while waiting
        // Only delivery quits this loop; ending it otherwise means the application
        // ends every event loop to quit. Give up rather than spin on a loop that
        // can no longer run.
        if (!Delivered)
            Abort();
    }
    WaitLoop = nullptr;
    return true;
}

void G::connectToServer()
{
    ++Sends;
    if (!RequestText::isSendable(CurrentUrl)) {
        emit log(u"Адрес отклонён: в нём есть управляющий символ"_s);
        finish(Outcome::Failure);
        return;
    }
    IsServer(CurrentUrl);
    const ServerAddress server = ServerAddress::parse(RemoteHost, quint16(RemotePort));
    emit log(u"Соединение с "_s + server.Name);
    if (Delivered)
        return; // a handler of log aborted the request
    if (!server.isValid()) {
        emit log(u"Соединение не начато: неверный адрес сервера"_s);
        finish(Outcome::Failure);
        return;
    }
    setIndicator(Light::Connecting);
    Received = ReceiveBuffer();
    Progress = LoadProgress();

    WS = new QTcpSocket(this);
    WS->setObjectName(u"WS"_s);
    connect(WS, &QTcpSocket::connected, this, &G::socketConnected);
    connect(WS, &QTcpSocket::readyRead, this, &G::dataArrived);
    connect(WS, &QTcpSocket::disconnected, this, [this] { closeProcessing(EndedBy::Close); });
    connect(WS, &QTcpSocket::errorOccurred, this, &G::socketError);
    connect(WS, &QTcpSocket::bytesWritten, this, &G::sendProgress);
    ConnectionOpen = true;
    Timeout->start();
    WS->connectToHost(server.Name, server.Port);
}

void G::socketConnected()
{
    RequestText request;
    request.Method = Met;
    request.Url = CurrentUrl;
    request.Proxy = ProxyOn;
    request.Referer = Referer;
    request.Cookies = Jar.text();
    request.Body = PostBody;
    request.PostUtf = PostUtfFlag;
    const QByteArray bytes = request.toBytes();
    if (!bytes.isEmpty())
        WS->write(bytes);
    setIndicator(Light::Sent);
    emit log(u"Отправлен запрос"_s);
}

void G::dataArrived()
{
    if (!ConnectionOpen)
        return;
    Timeout->stop();
    if (!readPending())
        return;
    const bool lengthWasKnown = Progress.contentLength() > 0;
    const std::optional<qint16> percent = Progress.update(Received.bytes());
    if (!lengthWasKnown && Progress.contentLength() > 0) {
        // Room for the whole response at once: growing step by step would copy it
        // on the way. The length is only a hint; without the room the response
        // grows as it comes.
        const qsizetype headerEnd = Received.bytes().indexOf("\r\n\r\n");
        const qint64 headers = headerEnd < 0 ? Received.size() : headerEnd + 4;
        Received.reserve(qsizetype(qMin(headers + Progress.contentLength(), MaxResponseSize)));
    }
    if (percent)
        emit PercentOfLoad(*percent);
    if (ConnectionOpen)
        setIndicator(Light::Receiving);
}

bool G::readPending()
{
    const qint64 available = WS->bytesAvailable();
    if (available <= 0)
        return true;
    char *room = Received.size() + available > MaxResponseSize
                     ? nullptr
                     : Received.prepare(qsizetype(available), qsizetype(MaxResponseSize));
    if (!room) {
        failTooLarge();
        return false;
    }
    const qint64 got = WS->read(room, available);
    Received.commit(qsizetype(got));
    return true;
}

void G::failTooLarge()
{
    emit log(u"Ответ слишком велик"_s);
    ConnectionOpen = false;
    releaseSocket();
    setIndicator(Light::Failed);
    finish(Outcome::Failure);
}

void G::socketError(int error)
{
    // The peer closing is the normal end of an HTTP/1.0 response, not a failure.
    if (error == QAbstractSocket::RemoteHostClosedError)
        closeProcessing(EndedBy::Close);
    else
        closeProcessing(EndedBy::Error);
}

void G::sendProgress()
{
    if (WS)
        emit log(QString::number(WS->bytesToWrite() / 1024));
}

void G::closeProcessing(EndedBy how)
{
    if (!ConnectionOpen)
        return;
    if (WS && !readPending())
        return;
    ConnectionOpen = false;
    releaseSocket();
    Timeout->stop();
    Progress = LoadProgress();
    setIndicator(how == EndedBy::Error ? Light::Failed : Light::Idle);
    emit log(u"Соединение закрыто"_s);

    if (CookiesOn && Received.size() > 0)
        Jar.AddCookies(CookieJar::GetCookies(headerText(Received.bytes())));

    const CloseDecision decision =
        CloseDecision::decide(Received.bytes(), CurrentUrl, RedirectCount, Sends);
    switch (decision.What) {
    case CloseDecision::SendAgain:
        Pause->start(how == EndedBy::Silence ? 0 : resendPauseMs);
        break;
    case CloseDecision::GiveUp:
        finish(Outcome::Failure);
        break;
    case CloseDecision::UnlimitedRedirect:
        finish(Outcome::UnlimitedRedirect);
        break;
    case CloseDecision::Deliver:
        finish(Outcome::Response);
        break;
    case CloseDecision::Redirect:
        // Whatever the first method was, a redirect is followed with a plain GET.
        CurrentUrl = decision.Target;
        ++RedirectCount;
        Met = 1;
        PostUtfFlag = false;
        Sends = 0;
        Pause->start(0);
        break;
    }
}

void G::releaseSocket()
{
    QTcpSocket *socket = std::exchange(WS, nullptr);
    if (!socket)
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void G::finish(Outcome outcome)
{
    if (Delivered)
        return; // one result per call, also when a handler aborted on the way
    Pause->stop();
    Timeout->stop();
    if (WS) {
        ConnectionOpen = false;
        releaseSocket();
    }
    LastOutcome = outcome;
    switch (outcome) {
    case Outcome::Response:
        LastBytes = Received.take();
        break;
    case Outcome::UnlimitedRedirect:
        LastBytes = unlimitedRedirect.toLatin1();
        break;
    case Outcome::Failure:
        LastBytes.clear();
        break;
    }
    Received = ReceiveBuffer();
    Referer = CurrentUrl;
    RedirectCount = 0;
    Sends = 0;
    Delivered = true;
    if (WaitFlag) {
        if (WaitLoop)
            WaitLoop->quit();
    } else {
        Busy = false;
        emit Res(resultText());
    }
}

QString G::resultText() const
{
    switch (LastOutcome) {
    case Outcome::Response:
        return TextCodecs::DeUTF(LastBytes);
    case Outcome::UnlimitedRedirect:
        return unlimitedRedirect;
    case Outcome::Failure:
        break;
    }
    return {};
}

void G::setIndicator(Light light)
{
    if (light == Indicator)
        return;
    Indicator = light;
    QColor colour;
    switch (light) {
    case Light::Idle:
        colour = palette().color(QPalette::Button);
        break;
    case Light::Connecting:
        colour = QColor(255, 255, 0);
        break;
    case Light::Sent:
        colour = QColor(128, 128, 255);
        break;
    case Light::Receiving:
        colour = QColor(0, 255, 0);
        break;
    case Light::Failed:
        colour = QColor(255, 0, 0);
        break;
    }
    QPalette pal = I->palette();
    pal.setColor(QPalette::Window, colour);
    I->setPalette(pal);
}
