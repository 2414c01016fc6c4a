#include "exchange.h"

#include "ansicodec.h"
#include "bytesink.h"
#include "closedecision.h"
#include "connectahead.h"
#include "httpsession.h"
#include "requesttext.h"
#include "retryafter.h"
#include "serveraddress.h"
#include "socketsetup.h"

#include <QDateTime>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype chunkSize = 256 * 1024;
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
      Pause(new QTimer(this)), Deadline(new QTimer(this)), Floor(new QTimer(this))
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

    connect(Floor, &QTimer::timeout, this, &Exchange::floorTick);
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
    Attempts = std::max(1, timings.Attempts);
    FloorBytes = timings.FloorBytes;
    FloorMs = timings.FloorMs;
    Floor->setInterval(std::max(1, FloorMs / FloorSteps));
}

Exchange::Timings Exchange::timings() const
{
    Timings timings;
    timings.FirstDataMs = Timeout->interval();
    timings.IdleMs = IdleMs;
    timings.ResendPauseMs = ResendMs;
    timings.DeadlineMs = Deadline->interval();
    timings.Attempts = Attempts;
    timings.FloorBytes = FloorBytes;
    timings.FloorMs = FloorMs;
    return timings;
}

bool Exchange::start(const Request &request, ByteSink *sink, ResponseReader::Keep keep, Start when,
                     const ResumePoint &resume)
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
    // Only a body can go on from where it broke off, and only by a GET.
    const bool resumable =
        resume.usable() && keep == ResponseReader::Keep::BodyOnly && request.Method == 1;
    Resume = resumable ? resume : ResumePoint();
    Silence = ResponseSummary::Setback::None;
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
    // Through a proxy the connection goes to the proxy's own port; else to the
    // URL's host, which is this connection's alone and is not written into the
    // session that others share.
    const ServerAddress server =
        Session->ProxyOn ? ServerAddress::parse(Session->RemoteHost, quint16(Session->RemotePort))
                         : SocketSetup::serverOf(*Session, CurrentUrl);
    if (!report(u"Соединение с "_s + server.Name))
        return;
    if (!server.isValid()) {
        report(u"Соединение не начато: неверный адрес сервера"_s);
        fail(Failure::Address);
        return;
    }
    // Resuming, the sink keeps its bytes until the response's head says what to do.
    if (!Resume.usable() && !Sink->restart()) {
        report(u"Не удалось начать запись ответа"_s);
        fail(Failure::Storage);
        return;
    }
    Reader = ResponseReader(Sink, Keeping);
    if (Resume.usable())
        Reader.resumeFrom(Resume);
    TlsProblem.clear();
    TunnelReply.clear();
    LastError = -1;

    QTcpSocket *ready = Ahead && !Session->ProxyOn ? Ahead->take(CurrentUrl) : nullptr;
    WS = ready ? ready : SocketSetup::create(*Session, CurrentUrl, Tls, this);
    WS->setParent(this);
    wire(WS);
    setState(State::Connecting);
    setLight(Light::Connecting);
    Timeout->start();
    LastByte.start();
    Idle->start(IdleMs);
    if (ready)
        adopt(ready);
    else
        SocketSetup::connectTo(WS, CurrentUrl, Tls && !Session->ProxyOn, server);
}

void Exchange::wire(QTcpSocket *socket)
{
    if (auto *secure = qobject_cast<QSslSocket *>(socket)) {
        connect(secure, &QSslSocket::encrypted, this, [this] {
            keepTlsSession();
            sendRequest();
        });
        connect(secure, &QSslSocket::newSessionTicketReceived, this, &Exchange::keepTlsSession);
        connect(secure, &QSslSocket::sslErrors, this, &Exchange::tlsErrors);
    }
    connect(socket, &QTcpSocket::connected, this, &Exchange::socketConnected);
    connect(socket, &QTcpSocket::readyRead, this, &Exchange::dataArrived);
    connect(socket, &QTcpSocket::disconnected, this, [this] { closeProcessing(EndedBy::Close); });
    connect(socket, &QTcpSocket::errorOccurred, this, &Exchange::socketError);
    connect(socket, &QTcpSocket::bytesWritten, this, &Exchange::sendProgress);
}

// A connection opened ahead is connected (and encrypted) already: the request
// goes from the event loop, as it would once a connection of its own connected.
void Exchange::adopt(QTcpSocket *socket)
{
    QMetaObject::invokeMethod(
        this,
        [this, socket, run = Run, send = Sends] {
            if (WS != socket || run != Run || send != Sends || Current != State::Connecting)
                return;
            Peer.watch(WS->socketDescriptor());
            sendRequest();
        },
        Qt::QueuedConnection);
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
    if (Resume.usable()) {
        request.RangeFrom = Resume.Offset;
        request.IfRange = Resume.Validator;
    }
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
    if (!readPending() || startOverIfRefused())
        return;
    if (FloorBytes > 0 && FloorMs > 0 && !Floor->isActive()) {
        // From what the first arrival brought: a head sent at once buys no time.
        FloorTicks = 0;
        FloorSamples[0] = Reader.received();
        Floor->start();
    }
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
    if (Reader.headComplete()) {
        // A resumed body counts from the start of the song, what the sink held included.
        const bool appended = Reader.verdict() == ResumePoint::Verdict::Append;
        const qint64 held = appended ? Reader.resumePoint().Offset : 0;
        const bool known = fields.lengthKind() == HeaderFields::Length::Valid;
        const qint64 length =
            appended ? Reader.resumePoint().Total : (known ? fields.length() : -1);
        const quint64 run = Run;
        emit bodyProgress(held + Reader.bodySize(), length);
        if (run != Run || !Connected(Current))
            return;
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

// A part that does not continue the bytes held: the sink was started over and the
// song is asked for again from its first byte, at once, as a first request.
bool Exchange::startOverIfRefused()
{
    if (Reader.verdict() != ResumePoint::Verdict::StartOver)
        return false;
    releaseSocket();
    setState(State::Pausing);
    setLight(Light::Idle);
    if (!report(u"Часть ответа не подходит: запрос с начала"_s))
        return true;
    Resume = ResumePoint();
    Sends = 0;
    Pause->start(0);
    return true;
}

void Exchange::floorTick()
{
    ++FloorTicks;
    const qint64 now = Reader.received();
    FloorSamples[FloorTicks % (FloorSteps + 1)] = now;
    if (FloorTicks < FloorSteps)
        return;
    // The sample of one floor time ago is the one after this in the ring.
    if (now - FloorSamples[(FloorTicks + 1) % (FloorSteps + 1)] < FloorBytes)
        closeProcessing(EndedBy::Slow);
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
    LastError = error;
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
        Session->keepTlsSession(SocketSetup::tlsServer(CurrentUrl),
                                socket->sslConfiguration().sessionTicket());
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
    const bool quiet = how == EndedBy::Idle || how == EndedBy::Slow;
    if (WS && !quiet && Current != State::Tunnelling && (!readPending() || startOverIfRefused()))
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
    const bool failed = how == EndedBy::Error || quiet || ended == ResponseSummary::End::Reset;
    setLight(failed ? Light::Failed : Light::Idle);
    if (!report(u"Соединение закрыто"_s))
        return;

    if (how == EndedBy::Idle) {
        report(u"Нет данных от сервера: соединение прервано"_s);
        fail(Failure::Stalled);
        return;
    }
    if (how == EndedBy::Slow) {
        report(u"Данные идут слишком медленно: соединение прервано"_s);
        fail(Failure::TooSlow);
        return;
    }
    if (Reader.received() == 0) {
        if (how == EndedBy::Silence)
            Silence = ResponseSummary::Setback::Busy;
        else if (how == EndedBy::Close || LastError == QAbstractSocket::ConnectionRefusedError)
            Silence = ResponseSummary::Setback::Refused; // refused, or dropped unanswered
        else
            Silence = ResponseSummary::Setback::None; // no such host, no route: no server to spare
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

    const CloseDecision decision =
        CloseDecision::decide(Reader, CurrentUrl, RedirectCount, Sends, Attempts);
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
    Floor->stop();
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

ResponseSummary::Setback Exchange::setback() const
{
    using Setback = ResponseSummary::Setback;
    switch (Result) {
    case Outcome::Failure:
        switch (Why) {
        case Failure::NoAnswer:
            return Silence;
        case Failure::Stalled:
        case Failure::TooSlow:
            return Setback::Stalled;
        default:
            return Setback::None;
        }
    case Outcome::Response: {
        const int status = Summary.Status;
        if (status == 503 || status == 429)
            return Setback::Throttled;
        // A 2xx that a second try may complete: cut short, not malformed.
        const bool cut = Summary.success() && Summary.HeadComplete && !Summary.whole() &&
                         Summary.IdentityContent && !Summary.FramingBroken &&
                         Summary.LengthKind != HeaderFields::Length::Invalid &&
                         Summary.Transfer != HeaderFields::Transfer::Other &&
                         (status != 206 || Summary.Offset > 0);
        return cut ? Setback::Broken : Setback::None;
    }
    case Outcome::None:
    case Outcome::UnlimitedRedirect:
        break;
    }
    return Setback::None;
}

void Exchange::finish(Outcome outcome, ResponseSummary::End ended)
{
    if (!isRunning())
        return; // one result per start, also when a handler aborted on the way
    Pause->stop();
    Deadline->stop();
    releaseSocket();
    Result = outcome;
    // A failure delivers nothing, but what was kept tells a retry where to go on.
    Summary = ResponseSummary::of(Reader, ended);
    Summary.Delivered = outcome == Outcome::Response;
    Summary.Trouble = setback();
    if (Summary.Trouble == ResponseSummary::Setback::Throttled)
        Summary.RetryAfterMs =
            RetryAfter::delayMs(Reader.fields(), QDateTime::currentDateTimeUtc()).value_or(-1);
    Reader = ResponseReader();
    Sink = nullptr;
    Session->Referer = CurrentUrl;
    setState(State::Finished);
    emit finished(Summary);
}
