#pragma once

#include "exchange.h"
#include "receivebuffer.h"

#include <QObject>
#include <QString>

class HttpSession;

// What the version script's reply names: the version on the line after the
// first "#version info" line, and the first "http://" or "https://" address
// (headers included) with the rest of its line.
struct VersionReply
{
    QString version;
    QString link;
};

VersionReply ReadVersionReply(const QString &reply);

// A different version, older ones included, is offered; no version, none.
bool OffersUpdate(const VersionReply &reply, const QString &appVersion);

QString UpdateMessage(const VersionReply &reply);

// One question to the version script through an exchange of the session;
// finished() comes from the event loop.
class UpdateCheck : public QObject
{
    Q_OBJECT

public:
    explicit UpdateCheck(HttpSession *session, QObject *parent = nullptr);

    // The deadline of the timings bounds the check: a silent server must not
    // hold up what waits for it.
    void start(const QString &url, const Exchange::Timings &timings);
    void abort() { Script->abort(); }
    bool isRunning() const { return Script->isRunning(); }

    // The server answered, whatever it said (a failed request has no answer).
    bool answered() const;
    // The reply as the script's text (status line and headers included).
    const VersionReply &reply() const { return Reply; }

Q_SIGNALS:
    void lightChanged(Exchange::Light light);
    void finished();

private:
    void replyArrived();

    Exchange *Script;
    ReceiveBuffer Buffer{qint64(1) << 20}; // a few lines are expected
    VersionReply Reply;
};
