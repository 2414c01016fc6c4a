#include "g.h"

#include "ansicodec.h"
#include "closedecision.h"
#include "loadprogress.h"
#include "requesttext.h"
#include "serveraddress.h"
#include "textcodecs.h"

#include <QEventLoop>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString unlimitedRedirect = u"error (unlimited redirect)"_s;
constexpr int timeoutMs = 5000;
constexpr int idleMs = 30000;
// A failed attempt is sent again after this pause; a silent one at once, since the
// watchdog has already waited.
constexpr int resendPauseMs = 500;
constexpr int frameMs = 16;
constexpr qsizetype chunkSize = 256 * 1024;
// Qt's own read buffer stays this small; the rest waits in the kernel.
constexpr qint64 socketBufferSize = 1024 * 1024;
constexpr qsizetype maxTunnelReply = 16 * 1024;

} // namespace

G::G(QWidget *parent)
    : QWidget(parent), Timeout(new QTimer(this)), Idle(new QTimer(this)), Pause(new QTimer(this)),
      LightPace(new QTimer(this)), I(new QWidget(this))
{
    Timeout->setObjectName(u"Timeout"_s);
    Timeout->setInterval(timeoutMs);
    Timeout->setSingleShot(true);
    Timeout->setTimerType(Qt::PreciseTimer); // a coarse timer may fire 5% early
    connect(Timeout, &QTimer::timeout, this, [this] { closeProcessing(EndedBy::Silence); });

    // Re-armed lazily: a busy transfer does not restart a timer per arrival.
    Idle->setObjectName(u"Idle"_s);
    Idle->setInterval(idleMs);
    Idle->setSingleShot(true);
    connect(Idle, &QTimer::timeout, this, &G::idleCheck);

    Pause->setSingleShot(true);
    connect(Pause, &QTimer::timeout, this, &G::connectToServer);

    LightPace->setSingleShot(true);
    LightPace->setInterval(frameMs);
    connect(LightPace, &QTimer::timeout, this, [this] {
        if (Wanted != Shown) {
            showIndicator();
            LightPace->start();
        }
    });

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
    if (!startChain(Url, method, WaitResult, POSTdata, PostUtf, &Memory,
                    ResponseReader::Keep::WholeResponse))
        return {};
    if (!WaitResult || !waitForResult())
        return {};
    const QString text = resultText();
    LastBytes = QByteArray();
    Busy = false;
    return text;
}

QByteArray G::RetBytes(QString &Url)
{
    if (!startChain(Url, 1, true, QString(), false, &Memory, ResponseReader::Keep::WholeResponse))
        return {};
    if (!waitForResult())
        return {};
    Busy = false;
    return std::exchange(LastBytes, QByteArray());
}

ResponseSummary G::RetStream(QString &Url, ByteSink &sink)
{
    if (!startChain(Url, 1, true, QString(), false, &sink, ResponseReader::Keep::BodyOnly))
        return {};
    if (!waitForResult())
        return {};
    Busy = false;
    return LastSummary;
}

void G::Abort()
{
    Pause->stop();
    Timeout->stop();
    Idle->stop();
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

void G::addTrustedCertificates(const QList<QSslCertificate> &certificates)
{
    ExtraCertificates += certificates;
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
                   ByteSink *sink, ResponseReader::Keep keep)
{
    if (Busy)
        return false;
    Busy = true;
    Delivered = false;
    ++Chain;
    WaitFlag = wait;
    Met = method;
    Url.replace(u"&amp;"_s, u"&"_s);
    CurrentUrl = Url;
    PostBody = postData;
    PostUtfFlag = postUtf;
    RedirectCount = 0;
    Sends = 0;
    Sink = sink;
    Keeping = keep;
    LastBytes = QByteArray();
    LastSummary = ResponseSummary();
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

bool G::report(const QString &info)
{
    const QPointer<G> self(this);
    const quint64 chain = Chain;
    emit log(info);
    // A handler may have aborted the request, or ended it and started another.
    return self && !Delivered && chain == Chain;
}

void G::connectToServer()
{
    if (Delivered || !Busy)
        return;
    ++Sends;
    if (!RequestText::isSendable(CurrentUrl)) {
        report(u"Адрес отклонён: в нём есть управляющий символ"_s);
        finish(Outcome::Failure);
        return;
    }
    IsServer(CurrentUrl);
    Tls = RequestText::isHttps(CurrentUrl);
    // Through a proxy the connection goes to the proxy's own port.
    const int defaultPort = Tls && !ProxyOn ? 443 : quint16(RemotePort);
    const ServerAddress server = ServerAddress::parse(RemoteHost, defaultPort);
    if (!report(u"Соединение с "_s + server.Name))
        return;
    if (!server.isValid()) {
        report(u"Соединение не начато: неверный адрес сервера"_s);
        finish(Outcome::Failure);
        return;
    }
    if (!Sink->restart()) {
        report(u"Не удалось начать запись ответа"_s);
        finish(Outcome::Failure);
        return;
    }
    setIndicator(Light::Connecting);
    Reader = ResponseReader(Sink, Keeping);
    TlsProblem.clear();
    TunnelPending = false;
    TunnelReply.clear();

    if (Tls) {
        auto *socket = new QSslSocket(this);
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setPeerVerifyMode(QSslSocket::VerifyPeer);
        if (!ExtraCertificates.isEmpty())
            config.addCaCertificates(ExtraCertificates);
        socket->setSslConfiguration(config);
        connect(socket, &QSslSocket::encrypted, this, &G::sendRequest);
        connect(socket, &QSslSocket::sslErrors, this, &G::tlsErrors);
        WS = socket;
    } else {
        WS = new QTcpSocket(this);
    }
    WS->setObjectName(u"WS"_s);
    WS->setReadBufferSize(socketBufferSize);
    connect(WS, &QTcpSocket::connected, this, &G::socketConnected);
    connect(WS, &QTcpSocket::readyRead, this, &G::dataArrived);
    connect(WS, &QTcpSocket::disconnected, this, [this] { closeProcessing(EndedBy::Close); });
    connect(WS, &QTcpSocket::errorOccurred, this, &G::socketError);
    connect(WS, &QTcpSocket::bytesWritten, this, &G::sendProgress);
    ConnectionOpen = true;
    Timeout->start();
    Idle->start();
    if (Tls && !ProxyOn) {
        auto *socket = static_cast<QSslSocket *>(WS);
        const ServerAddress origin = ServerAddress::parse(RequestText::host(CurrentUrl), 443);
        socket->setPeerVerifyName(origin.Name);
        socket->connectToHostEncrypted(server.Name, server.Port);
    } else {
        WS->connectToHost(server.Name, server.Port);
    }
}

void G::socketConnected()
{
    Peer.watch(WS->socketDescriptor());
    if (Tls && !ProxyOn)
        return; // the request goes once the handshake is done
    if (Tls) {
        // Through a proxy: a tunnel to the origin first, then TLS inside it.
        const ServerAddress origin = ServerAddress::parse(RequestText::host(CurrentUrl), 443);
        const QString authority = origin.Name.contains(u':')
                                      ? u'[' + origin.Name + u"]:"_s + QString::number(origin.Port)
                                      : origin.Name + u':' + QString::number(origin.Port);
        TunnelPending = true;
        WS->write(RequestText::connectBytes(authority));
        return;
    }
    sendRequest();
}

void G::sendRequest()
{
    RequestText request;
    request.Method = Met;
    request.Url = CurrentUrl;
    request.Proxy = ProxyOn && !Tls; // inside a tunnel the origin is asked directly
    request.Referer = Referer;
    request.Cookies = Jar.text();
    request.Body = PostBody;
    request.PostUtf = PostUtfFlag;
    const QByteArray bytes = request.toBytes();
    if (!bytes.isEmpty())
        WS->write(bytes);
    setIndicator(Light::Sent);
    report(u"Отправлен запрос"_s);
}

bool G::readTunnelReply()
{
    TunnelReply += WS->read(maxTunnelReply - TunnelReply.size());
    const qsizetype end = TunnelReply.indexOf("\r\n\r\n");
    if (end < 0) {
        if (TunnelReply.size() < maxTunnelReply)
            return true;
    } else {
        const int status = HeaderFields::parse(QByteArrayView(TunnelReply).first(end)).status();
        if (status >= 200 && status <= 299) {
            TunnelPending = false;
            const ServerAddress origin = ServerAddress::parse(RequestText::host(CurrentUrl), 443);
            auto *socket = static_cast<QSslSocket *>(WS);
            socket->setPeerVerifyName(origin.Name);
            socket->startClientEncryption();
            return true;
        }
    }
    ConnectionOpen = false;
    releaseSocket();
    setIndicator(Light::Failed);
    report(u"Прокси не открыл туннель"_s);
    finish(Outcome::Failure);
    return false;
}

void G::dataArrived()
{
    if (!ConnectionOpen)
        return;
    if (TunnelPending) {
        readTunnelReply();
        return;
    }
    // A TLS socket says so for every 4 KiB it decrypts, all within one go over
    // what the network brought; taken once that go is over, a song reaches its
    // file in pieces of that whole size, not 4 KiB at a time.
    if (Tls) {
        if (!TakeQueued) {
            TakeQueued = true;
            QMetaObject::invokeMethod(this, &G::takeArrived, Qt::QueuedConnection);
        }
        return;
    }
    takeArrived();
}

void G::takeArrived()
{
    TakeQueued = false;
    if (!ConnectionOpen || !WS || TunnelPending)
        return; // the close processing has read the rest
    Timeout->stop();
    Idle->start();
    if (!readPending())
        return;
    const HeaderFields &fields = Reader.fields();
    if (Reader.headComplete() && fields.lengthKind() == HeaderFields::Length::Valid &&
        fields.length() > 0) {
        if (Keeping == ResponseReader::Keep::WholeResponse)
            Memory.expect(Reader.head().size() + fields.length());
        const quint64 chain = Chain;
        emit PercentOfLoad(LoadProgress::percent(Reader.received(), fields.length()));
        if (Delivered || chain != Chain || !ConnectionOpen)
            return; // a handler ended the request
    }
    if (Reader.complete())
        closeProcessing(EndedBy::Framed);
    else
        setIndicator(Light::Receiving);
}

// Moves what the socket holds through the one buffer into the reader.
bool G::readPending()
{
    if (ReadChunk.isEmpty())
        ReadChunk.resize(chunkSize);
    while (WS && WS->bytesAvailable() > 0 && !Reader.complete()) {
        const qint64 got = WS->read(ReadChunk.data(), chunkSize);
        if (got <= 0)
            break;
        if (!Reader.feed(QByteArrayView(ReadChunk.constData(), got))) {
            failReading();
            return false;
        }
    }
    return true;
}

void G::failReading()
{
    if (!Reader.headComplete() && Keeping == ResponseReader::Keep::BodyOnly)
        report(u"Ответ без заголовков"_s);
    else if (Sink == &Memory)
        report(u"Ответ слишком велик"_s);
    else
        report(u"Не удалось записать ответ"_s);
    ConnectionOpen = false;
    releaseSocket();
    setIndicator(Light::Failed);
    finish(Outcome::Failure);
}

void G::socketError(int error)
{
    switch (error) {
    case QAbstractSocket::RemoteHostClosedError:
        // The peer closing is the normal end of an HTTP/1.0 response; a reset
        // looks the same to Qt and is told apart by the close processing.
        closeProcessing(EndedBy::Close);
        break;
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        if (TlsProblem.isEmpty() && WS)
            TlsProblem = WS->errorString();
        closeProcessing(EndedBy::Error);
        break;
    default:
        closeProcessing(EndedBy::Error);
        break;
    }
}

void G::tlsErrors(const QList<QSslError> &errors)
{
    // Never ignored: the handshake fails and this request with it.
    QStringList reasons;
    for (const QSslError &error : errors)
        reasons.append(error.errorString());
    TlsProblem = reasons.join(u"; "_s);
}

void G::sendProgress()
{
    if (WS)
        report(QString::number(WS->bytesToWrite() / 1024));
}

void G::idleCheck()
{
    if (ConnectionOpen)
        closeProcessing(EndedBy::Idle);
}

void G::closeProcessing(EndedBy how)
{
    if (!ConnectionOpen)
        return;
    // What arrived with the close still belongs to the response.
    if (WS && how != EndedBy::Idle && !TunnelPending && !readPending())
        return;
    ResponseSummary::End ended = ResponseSummary::End::None;
    if (how == EndedBy::Framed || Reader.complete()) {
        ended = ResponseSummary::End::Framed;
    } else if (how == EndedBy::Error) {
        ended = ResponseSummary::End::Reset;
    } else if (how == EndedBy::Close) {
        switch (Peer.how()) {
        case PeerClose::How::Orderly:
            ended = ResponseSummary::End::Orderly;
            break;
        case PeerClose::How::Reset:
            ended = ResponseSummary::End::Reset;
            break;
        case PeerClose::How::Unknown:
            ended = ResponseSummary::End::Unknown;
            break;
        }
    }
    ConnectionOpen = false;
    releaseSocket();
    Timeout->stop();
    Idle->stop();
    Reader.finishHead();
    const bool failed =
        how == EndedBy::Error || how == EndedBy::Idle || ended == ResponseSummary::End::Reset;
    setIndicator(failed ? Light::Failed : Light::Idle);
    if (!report(u"Соединение закрыто"_s))
        return;

    if (how == EndedBy::Idle) {
        report(u"Нет данных от сервера: соединение прервано"_s);
        finish(Outcome::Failure);
        return;
    }
    if (!TlsProblem.isEmpty()) {
        // A certificate that fails today fails again: no second attempt.
        report(u"Защищённое соединение не установлено: "_s + TlsProblem);
        finish(Outcome::Failure);
        return;
    }
    if (CookiesOn && Reader.received() > 0) {
        const QByteArrayView head = Reader.head();
        const QString text = Reader.fields().declaresUtf8() ? QString::fromUtf8(head)
                                                            : Ansi::toText(head.toByteArray());
        Jar.AddCookies(CookieJar::GetCookies(text));
    }

    const CloseDecision decision = CloseDecision::decide(Reader, CurrentUrl, RedirectCount, Sends);
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
        finish(Outcome::Response, ended);
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
    Peer.release();
    QTcpSocket *socket = std::exchange(WS, nullptr);
    if (!socket)
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void G::finish(Outcome outcome, ResponseSummary::End ended)
{
    if (Delivered)
        return; // one result per call, also when a handler aborted on the way
    Pause->stop();
    Timeout->stop();
    Idle->stop();
    if (WS) {
        ConnectionOpen = false;
        releaseSocket();
    }
    LastOutcome = outcome;
    LastSummary =
        outcome == Outcome::Response ? ResponseSummary::of(Reader, ended) : ResponseSummary();
    switch (outcome) {
    case Outcome::Response:
        LastBytes = Sink == &Memory ? Memory.take() : QByteArray();
        break;
    case Outcome::UnlimitedRedirect:
        LastBytes = unlimitedRedirect.toLatin1();
        break;
    case Outcome::Failure:
        LastBytes = QByteArray();
        break;
    }
    Memory.restart();
    Reader = ResponseReader();
    Sink = nullptr;
    Referer = CurrentUrl;
    RedirectCount = 0;
    Sends = 0;
    Delivered = true;
    // The end shows at once, and opens a frame: a request started right after
    // shows its colours when that frame is over, so a run of quick requests
    // repaints the light once a frame rather than twice a request.
    if (Wanted != Shown) {
        showIndicator();
        LightPace->start();
    }
    if (WaitFlag) {
        if (WaitLoop)
            WaitLoop->quit();
    } else {
        Busy = false;
        const QString text = resultText();
        LastBytes = QByteArray();
        emit Res(text);
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
    Wanted = light;
    if (LightPace->isActive())
        return; // shown when the frame is over
    if (Wanted != Shown) {
        showIndicator();
        LightPace->start();
    }
}

void G::showIndicator()
{
    if (Wanted == Shown)
        return;
    Shown = Wanted;
    QColor colour;
    switch (Shown) {
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
