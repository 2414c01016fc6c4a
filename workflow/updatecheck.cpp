#include "updatecheck.h"

#include "datetext.h"
#include "mainwindow.h"
#include "prompts.h"
#include "settingswriter.h"
#include "textcodecs.h"
#include "textutil.h"

#include <QLabel>
#include <QSettings>

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

void Main::CheckForUpdate()
{
    st->setText(u"Проверка новой версии..."_s);
    const QString url = SiteUrl(UpdateHost()) + u"/version/tunetrawl.php"_s;
    // The window waits for this; a silent server must not keep it from showing.
    Exchange::Timings check = timings.exchange;
    check.DeadlineMs = timings.updateDeadlineMs;
    updateExchange->setTimings(check);
    updateExchange->start({url, 1, {}, false}, &updateBuffer, ResponseReader::Keep::WholeResponse,
                          Exchange::Start::FromEventLoop);
}

void Main::UpdateReplyArrived()
{
    QString reply;
    switch (updateExchange->outcome()) {
    case Exchange::Outcome::Response:
        reply = TextCodecs::DeUTF(updateBuffer.take());
        break;
    case Exchange::Outcome::UnlimitedRedirect:
        reply = u"error (unlimited redirect)"_s;
        break;
    case Exchange::Outcome::None:
    case Exchange::Outcome::Failure:
        break;
    }
    updateBuffer.take();
    // The server answered, whatever it said; with no answer the next start asks again.
    if (updateExchange->outcome() == Exchange::Outcome::Response ||
        updateExchange->outcome() == Exchange::Outcome::UnlimitedRedirect)
        settingsWriter->write({{u"Main/LastUpdate"_s, TodayText()}});

    const VersionReply offer = ReadVersionReply(reply);
    if (OffersUpdate(offer, AppVersion) &&
        prompts->question(this, u"Новая версия"_s, UpdateMessage(offer)))
        prompts->openUrl(offer.link);
    RestoreSettings();
}
