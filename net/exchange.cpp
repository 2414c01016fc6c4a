#include "exchange.h"

#include "ansicodec.h"
#include "bytesink.h"
#include "closedecision.h"
#include "httpsession.h"
#include "requesttext.h"
#include "serveraddress.h"

#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype chunkSize = 256 * 1024;
// Qt's own read buffer stays this small; the rest waits in the kernel.
constexpr qint64 socketBufferSize = 1024 * 1024;
constexpr qsizetype maxTunnelReply = 16 * 1024;

bool Connected(Exchange::State state)
{
    switch (state) {
    case Exchange::State::Connecting:
    case Exchange::State::Tunnelling:
    case Exchange::State::Handshaking:
    case Exchange::State::Waiting:
    case Exchange::State::Receiving:
        return true;
    case Exchange::State::Idle:
    case Exchange::State::Pausing:
    case Exchange::State::Finished:
        break;
    }
    return false;
}

} // namespace

Exchange::Exchange(HttpSession *session, QObject *parent)
    : QObject(parent), Session(session), Timeout(new QTimer(this)), Idle(new QTimer(this)),
      Pause(new QTimer(this)), Deadline(new QTimer(this))
{
    // Named, and precise: a coarse timer may fire 5% early.
    Timeout->setObjectName(u"Timeout"_s);
    Timeout->setSingleShot(true);
    Timeout->setTimerType(Qt::PreciseTimer);
    connect(Timeout, &QTimer::timeout, this, [this] { closeProcessing(EndedBy::Silence); });

    Idle->setObjectName(u"Idle"_s);
    Idle->setSingleShot(true);
    // Re-armed lazily: each arrival only notes the time, and the timer, started
    // once a connection, waits out the rest when it fires early.
    connect(Idle, &QTimer::timeout, this, [this] {
        const qint64 quiet = LastByte.elapsed();
        if (quiet < IdleMs)
            Idle->start(int(IdleMs - quiet));
        else
            closeProcessing(EndedBy::Idle);
    });

    Pause->setSingleShot(true);
    connect(Pause, &QTimer::timeout, this, &Exchange::connectToServer);

    Deadline->setSingleShot(true);
    Deadline->setTimerType(Qt::PreciseTimer);
    connect(Deadline, &QTimer::timeout, this, [this] {
        if (!report(u"Время ожидания истекло"_s))
            return;
        releaseSocket();
        setLight(Light::Failed);
        fail(Failure::Deadline);
    });
    setTimings(Timings());
}

Exchange::~Exchange()
{
    releaseSocket();
}

void Exchange::setTimings(const Timings &timings)
{
    Timeout->setInterval(timings.FirstDataMs);
    IdleMs = timings.IdleMs;
    ResendMs = timings.ResendPauseMs;
    Deadline->setInterval(timings.DeadlineMs);
}

Exchange::Timings Exchange::timings() const
{
    Timings timings;
    timings.FirstDataMs = Timeout->interval();
    timings.IdleMs = IdleMs;
    timings.ResendPauseMs = ResendMs;
    timings.DeadlineMs = Deadline->interval();
    return timings;
}

bool Exchange::start(const Request &request, ByteSink *sink, ResponseReader::Keep keep, Start when)
{
    if (isRunning())
        return false;
    ++Run;
    Result = Outcome::None;
    Why = Failure::None;
    Summary = ResponseSummary();
    CurrentUrl = request.Url;
    Met = request.Method;
    PostBody = request.PostBody;
    PostUtfFlag = request.PostUtf;
    Referer = Session->Referer;
    RedirectCount = 0;
    Sends = 0;
    Sink = sink;
    Keeping = keep;
    if (Deadline->interval() > 0)
        Deadline->start();
    setState(State::Pausing);
    if (when == Start::Now)
        connectToServer();
    else
        Pause->start(0);
    return true;
}

void Exchange::abort()
{
    if (!isRunning())
        return;
    if (WS) {
        releaseSocket();
        setLight(Light::Idle);
    }
    fail(Failure::Aborted);
}

void Exchange::setState(State state)
{
    Current = state;
}

void Exchange::setLight(Light light)
{
    emit lightChanged(light);
}

bool Exchange::report(const QString &info)
{
    const QPointer<Exchange> self(this);
    const quint64 run = Run;
    emit log(info);
    // A handler may have aborted the request, or ended it and started another.
    return self && run == Run && isRunning();
}

QString Exchange::tlsServer() const
{
    const ServerAddress origin = ServerAddress::parse(RequestText::host(CurrentUrl), 443);
    return origin.Name + u':' + QString::number(origin.Port);
}

void Exchange::connectToServer()
{
    if (Current != State::Pausing)
        return;
    ++Sends;
    if (!RequestText::isSendable(CurrentUrl)) {
        report(u"Адрес отклонён: в нём есть управляющий символ"_s);
        fail(Failure::Address);
        return;
    }
    Tls = RequestText::isHttps(CurrentUrl);
    // Through a proxy the connection goes to the proxy the session names, on its
    // own port; else to the URL's host, which is this connection's alone and is
    // not written into the session that others share.
    const int defaultPort = Tls && !Session->ProxyOn ? 443 : quint16(Session->RemotePort);
    const QString host = Session->ProxyOn ? Session->RemoteHost : RequestText::host(CurrentUrl);
    const ServerAddress server = ServerAddress::parse(host, defaultPort);
    if (!report(u"Соединение с "_s + server.Name))
        return;
    if (!server.isValid()) {
        report(u"Соединение не начато: неверный адрес сервера"_s);
        fail(Failure::Address);
        return;
    }
    if (!Sink->restart()) {
        report(u"Не удалось начать запись ответа"_s);
        fail(Failure::Storage);
        return;
    }
    Reader = ResponseReader(Sink, Keeping);
    TlsProblem.clear();
    TunnelReply.clear();

    if (Tls) {
        auto *socket = new QSslSocket(this);
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setPeerVerifyMode(QSslSocket::VerifyPeer);
        if (!Session->ExtraCertificates.isEmpty())
            config.addCaCertificates(Session->ExtraCertificates);
        // Songs of one host resume the first one's session: a shorter handshake.
        config.setSslOption(QSsl::SslOptionDisableSessionPersistence, false);
        config.setSessionTicket(Session->tlsSession(tlsServer()));
        socket->setSslConfiguration(config);
        connect(socket, &QSslSocket::encrypted, this, [this] {
            keepTlsSession();
            sendRequest();
        });
        connect(socket, &QSslSocket::newSessionTicketReceived, this, &Exchange::keepTlsSession);
        connect(socket, &QSslSocket::sslErrors, this, &Exchange::tlsErrors);
        WS = socket;
    } else {
        WS = new QTcpSocket(this);
    }
    WS->setObjectName(u"WS"_s);
    WS->setReadBufferSize(socketBufferSize);
    connect(WS, &QTcpSocket::connected, this, &Exchange::socketConnected);
    connect(WS, &QTcpSocket::readyRead, this, &Exchange::dataArrived);
    connect(WS, &QTcpSocket::disconnected, this, [this] { closeProcessing(EndedBy::Close); });
    connect(WS, &QTcpSocket::errorOccurred, this, &Exchange::socketError);
    connect(WS, &QTcpSocket::bytesWritten, this, &Exchange::sendProgress);
    setState(State::Connecting);
    setLight(Light::Connecting);
    Timeout->start();
    LastByte.start();
    Idle->start(IdleMs);
    if (Tls && !Session->ProxyOn) {
        auto *socket = static_cast<QSslSocket *>(WS);
        socket->setPeerVerifyName(ServerAddress::parse(RequestText::host(CurrentUrl), 443).Name);
        socket->connectToHostEncrypted(server.Name, server.Port);
    } else {
        WS->connectToHost(server.Name, server.Port);
    }
}

void Exchange::socketConnected()
{
    Peer.watch(WS->socketDescriptor());
    if (Tls && !Session->ProxyOn) {
        setState(State::Handshaking); // the request goes once the handshake is done
        return;
    }
    if (Tls) {
        // Through a proxy: a tunnel to the origin first, then TLS inside it.
        const ServerAddress origin = ServerAddress::parse(RequestText::host(CurrentUrl), 443);
        const QString authority = origin.Name.contains(u':')
                                      ? u'[' + origin.Name + u"]:"_s + QString::number(origin.Port)
                                      : origin.Name + u':' + QString::number(origin.Port);
        setState(State::Tunnelling);
        WS->write(RequestText::connectBytes(authority));
        return;
    }
    sendRequest();
}

void Exchange::sendRequest()
{
    RequestText request;
    request.Method = Met;
    request.Url = CurrentUrl;
    request.Proxy = Session->ProxyOn && !Tls; // inside a tunnel the origin is asked directly
    request.Referer = Referer;
    request.Cookies = Session->Jar.text();
    request.Body = PostBody;
    request.PostUtf = PostUtfFlag;
    const QByteArray bytes = request.toBytes();
    if (!bytes.isEmpty())
        WS->write(bytes);
    setState(State::Waiting);
    setLight(Light::Sent);
    report(u"Отправлен запрос"_s);
}

bool Exchange::readTunnelReply()
{
    TunnelReply += WS->read(maxTunnelReply - TunnelReply.size());
    const qsizetype end = TunnelReply.indexOf("\r\n\r\n");
    if (end < 0) {
        if (TunnelReply.size() < maxTunnelReply)
            return true;
    } else {
        const int status = HeaderFields::parse(QByteArrayView(TunnelReply).first(end)).status();
        if (status >= 200 && status <= 299) {
            setState(State::Handshaking);
            auto *socket = static_cast<QSslSocket *>(WS);
            socket->setPeerVerifyName(
                ServerAddress::parse(RequestText::host(CurrentUrl), 443).Name);
            socket->startClientEncryption();
            return true;
        }
    }
    releaseSocket();
    setLight(Light::Failed);
    report(u"Прокси не открыл туннель"_s);
    fail(Failure::Tunnel);
    return false;
}

void Exchange::dataArrived()
{
    if (!Connected(Current))
        return;
    if (Current == State::Tunnelling) {
        readTunnelReply();
        return;
    }
    // A TLS socket says so for every 4 KiB it decrypts, all within one go over
    // what the network brought; taken once that go is over, a song reaches its
    // file in pieces of that whole size, not 4 KiB at a time.
    if (Tls) {
        if (!TakeQueued) {
            TakeQueued = true;
            QMetaObject::invokeMethod(this, &Exchange::takeArrived, Qt::QueuedConnection);
        }
        return;
    }
    takeArrived();
}

void Exchange::takeArrived()
{
    TakeQueued = false;
    if (!Connected(Current) || !WS || Current == State::Tunnelling)
        return; // the close processing has read the rest
    Timeout->stop();
    LastByte.start(); // every arrival puts the idle limit off
    if (!readPending())
        return;
    const HeaderFields &fields = Reader.fields();
    if (Reader.headComplete() && fields.lengthKind() == HeaderFields::Length::Valid &&
        fields.length() > 0) {
        if (Keeping == ResponseReader::Keep::WholeResponse)
            Sink->expect(Reader.head().size() + fields.length());
        const quint64 run = Run;
        emit progress(Reader.received(), Reader.head().size(), fields.length());
        if (run != Run || !Connected(Current))
            return; // a handler ended the request
    }
    if (Reader.complete() || redirectBodyEnough()) {
        closeProcessing(EndedBy::Framed);
    } else {
        setState(State::Receiving);
        setLight(Light::Receiving);
    }
}

// Moves what the socket holds through the one buffer into the reader.
bool Exchange::readPending()
{
    if (ReadChunk.isEmpty())
        ReadChunk.resize(chunkSize);
    while (WS && WS->bytesAvailable() > 0 && !Reader.complete() && !redirectBodyEnough()) {
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

// A redirect's body past its limit: what it holds is never used.
bool Exchange::redirectBodyEnough() const
{
    const int status = Reader.fields().status();
    return Reader.headComplete() && status >= 300 && status <= 399 &&
           Reader.bodySize() > MaxRedirectBody &&
           CloseDecision::decide(Reader, CurrentUrl, RedirectCount, Sends).What ==
               CloseDecision::Redirect;
}

void Exchange::failReading()
{
    Failure why = Failure::Storage;
    if (!Reader.headComplete() && Keeping == ResponseReader::Keep::BodyOnly)
        why = Failure::Malformed;
    else if (Keeping == ResponseReader::Keep::WholeResponse)
        why = Failure::TooLarge;
    releaseSocket();
    setLight(Light::Failed);
    switch (why) {
    case Failure::Malformed:
        report(u"Ответ без заголовков"_s);
        break;
    case Failure::TooLarge:
        report(u"Ответ слишком велик"_s);
        break;
    default:
        report(u"Не удалось записать ответ"_s);
        break;
    }
    fail(why);
}

void Exchange::socketError(int error)
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

void Exchange::tlsErrors(const QList<QSslError> &errors)
{
    // Never ignored: the handshake fails and this request with it.
    QStringList reasons;
    for (const QSslError &error : errors)
        reasons.append(error.errorString());
    TlsProblem = reasons.join(u"; "_s);
}

void Exchange::keepTlsSession()
{
    if (auto *socket = qobject_cast<QSslSocket *>(WS))
        Session->keepTlsSession(tlsServer(), socket->sslConfiguration().sessionTicket());
}

void Exchange::sendProgress()
{
    if (WS)
        report(QString::number(WS->bytesToWrite() / 1024));
}

void Exchange::closeProcessing(EndedBy how)
{
    if (!Connected(Current))
        return;
    // What arrived with the close still belongs to the response.
    if (WS && how != EndedBy::Idle && Current != State::Tunnelling && !readPending())
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
    releaseSocket();
    setState(State::Pausing);
    Reader.finishHead();
    const bool failed =
        how == EndedBy::Error || how == EndedBy::Idle || ended == ResponseSummary::End::Reset;
    setLight(failed ? Light::Failed : Light::Idle);
    if (!report(u"Соединение закрыто"_s))
        return;

    if (how == EndedBy::Idle) {
        report(u"Нет данных от сервера: соединение прервано"_s);
        fail(Failure::Stalled);
        return;
    }
    if (!TlsProblem.isEmpty()) {
        // A certificate that fails today fails again: no second attempt.
        report(u"Защищённое соединение не установлено: "_s + TlsProblem);
        fail(Failure::Tls);
        return;
    }
    if (Session->CookiesOn && Reader.received() > 0) {
        const QByteArrayView head = Reader.head();
        const QString text = Reader.fields().declaresUtf8() ? QString::fromUtf8(head)
                                                            : Ansi::toText(head.toByteArray());
        Session->Jar.AddCookies(CookieJar::GetCookies(text));
    }

    const CloseDecision decision = CloseDecision::decide(Reader, CurrentUrl, RedirectCount, Sends);
    switch (decision.What) {
    case CloseDecision::SendAgain:
        Pause->start(how == EndedBy::Silence ? 0 : ResendMs);
        break;
    case CloseDecision::GiveUp:
        fail(Failure::NoAnswer);
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

void Exchange::releaseSocket()
{
    Timeout->stop();
    Idle->stop();
    TakeQueued = false;
    Peer.release();
    QTcpSocket *socket = std::exchange(WS, nullptr);
    if (!socket)
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void Exchange::fail(Failure why)
{
    if (!isRunning())
        return;
    Why = why;
    finish(Outcome::Failure);
}

void Exchange::finish(Outcome outcome, ResponseSummary::End ended)
{
    if (!isRunning())
        return; // one result per start, also when a handler aborted on the way
    Pause->stop();
    Deadline->stop();
    releaseSocket();
    Result = outcome;
    Summary = outcome == Outcome::Response ? ResponseSummary::of(Reader, ended) : ResponseSummary();
    Reader = ResponseReader();
    Sink = nullptr;
    Session->Referer = CurrentUrl;
    setState(State::Finished);
    emit finished(Summary);
}
