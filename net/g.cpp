#include "g.h"

#include "exchangeresult.h"
#include "loadprogress.h"
#include "textcodecs.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr int frameMs = 16;

} // namespace

G::G(QWidget *parent, HttpSession *session)
    : QWidget(parent), Session(session ? session : &OwnSession),
      Engine(new Exchange(Session, this)), LightPace(new QTimer(this)), I(new QWidget(this))
{
    connect(Engine, &Exchange::log, this, &G::log);
    connect(Engine, &Exchange::lightChanged, this, &G::showLight);
    connect(Engine, &Exchange::progress, this, [this](qint64 received, qint64, qint64 length) {
        emit PercentOfLoad(LoadProgress::percent(received, length));
    });
    connect(Engine, &Exchange::finished, this, &G::requestFinished);

    LightPace->setSingleShot(true);
    LightPace->setInterval(frameMs);
    connect(LightPace, &QTimer::timeout, this, [this] {
        if (Wanted != Shown) {
            paintLight();
            LightPace->start();
        }
    });

    I->setObjectName(u"I"_s);
    I->setAutoFillBackground(true);
    showLight(Exchange::Light::Idle);
}

G::~G()
{
    // The engine goes with the children, after Memory; nothing of it may reach here.
    Engine->disconnect(this);
    Engine->abort();
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
    Engine->abort();
}

void G::setProxy(bool on)
{
    Session->ProxyOn = on;
    if (on)
        Session->RemotePort = 80;
}

void G::setAcceptCookies(bool on)
{
    Session->CookiesOn = on;
    Session->Jar.clear();
    Session->Referer.clear();
}

void G::addTrustedCertificates(const QList<QSslCertificate> &certificates)
{
    Session->ExtraCertificates += certificates;
}

QString G::GetCookies(const QString &Data)
{
    return CookieJar::GetCookies(Data);
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
    if (Busy || Engine->isRunning())
        return false;
    Busy = true;
    Delivered = false;
    WaitFlag = wait;
    Met = method;
    Url.replace(u"&amp;"_s, u"&"_s);
    // Unless a proxy is on, the control points at the URL's host.
    Session->IsServer(Url);
    Sink = sink;
    LastBytes = QByteArray();
    LastSummary = ResponseSummary();
    LastOutcome = Exchange::Outcome::None;
    // Res always comes from the event loop, never inside RetUrl.
    Engine->start({Url, method, postData, postUtf}, sink, keep,
                  wait ? Exchange::Start::Now : Exchange::Start::FromEventLoop);
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

void G::requestFinished()
{
    Met = Engine->method();
    LastOutcome = Engine->outcome();
    LastSummary = Engine->summary();
    LastBytes = ExchangeResult::bytes(LastOutcome, Sink == &Memory ? Memory.take() : QByteArray());
    // Its host, as a control that asks one server at a time shows it.
    Session->IsServer(Engine->currentUrl());
    Memory.restart();
    Sink = nullptr;
    Delivered = true;
    // The end shows at once, and opens a frame: a request started right after
    // shows its colours when that frame is over, so a run of quick requests
    // repaints the light once a frame rather than twice a request.
    if (Wanted != Shown) {
        paintLight();
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
    return TextCodecs::DeUTF(LastBytes);
}

void G::showLight(Exchange::Light light)
{
    Wanted = light;
    if (LightPace->isActive())
        return; // shown when the frame is over
    if (Wanted != Shown) {
        paintLight();
        LightPace->start();
    }
}

void G::paintLight()
{
    if (Wanted == Shown)
        return;
    Shown = Wanted;
    QColor colour;
    switch (Shown) {
    case Exchange::Light::Idle:
        colour = palette().color(QPalette::Button);
        break;
    case Exchange::Light::Connecting:
        colour = QColor(255, 255, 0);
        break;
    case Exchange::Light::Sent:
        colour = QColor(128, 128, 255);
        break;
    case Exchange::Light::Receiving:
        colour = QColor(0, 255, 0);
        break;
    case Exchange::Light::Failed:
        colour = QColor(255, 0, 0);
        break;
    }
    QPalette pal = I->palette();
    pal.setColor(QPalette::Window, colour);
    I->setPalette(pal);
}
