#include "updatecheck.h"

#include "exchangeresult.h"
#include "textutil.h"

using namespace Qt::StringLiterals;

VersionReply ReadVersionReply(const QString &reply)
{
    const QString crlf = u"\r\n"_s;
    // The first web address, in either scheme: download pages are HTTPS nowadays.
    const qsizetype plain = reply.indexOf(u"http://");
    const qsizetype secure = reply.indexOf(u"https://");
    const QString scheme =
        secure >= 0 && (plain < 0 || secure < plain) ? u"https://"_s : u"http://"_s;
    return {ExtractBetween(reply, u"#version info"_s + crlf, crlf),
            scheme + ExtractBetween(reply, scheme, crlf)};
}

bool OffersUpdate(const VersionReply &reply, const QString &appVersion)
{
    return !reply.version.isEmpty() && reply.version != appVersion;
}

QString UpdateMessage(const VersionReply &reply)
{
    // Whatever the server sends, the question stays a question one can read.
    const auto shown = [](const QString &text, qsizetype most) {
        return text.size() > most ? text.left(most) + u'…' : text;
    };
    return u"Обнаружена более новая версия программы - "_s + shown(reply.version, 40) +
           u"\r\nПерейти к странице загрузки "_s + shown(reply.link, 300);
}

UpdateCheck::UpdateCheck(HttpSession *session, QObject *parent)
    : QObject(parent), Script(new Exchange(session, this))
{
    connect(Script, &Exchange::lightChanged, this, &UpdateCheck::lightChanged);
    connect(Script, &Exchange::finished, this, &UpdateCheck::replyArrived, Qt::QueuedConnection);
}

void UpdateCheck::start(const QString &url, const Exchange::Timings &timings)
{
    Reply = {};
    Script->setTimings(timings);
    Script->start({url, 1, {}, false}, &Buffer, ResponseReader::Keep::WholeResponse);
}

bool UpdateCheck::answered() const
{
    return Script->outcome() == Exchange::Outcome::Response ||
           Script->outcome() == Exchange::Outcome::UnlimitedRedirect;
}

void UpdateCheck::replyArrived()
{
    Reply = ReadVersionReply(ExchangeResult::text(Script->outcome(), Buffer.take()));
    emit finished();
}
