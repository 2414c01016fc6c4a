#include "updatecheck.h"

#include "datetext.h"
#include "deadline.h"
#include "g.h"
#include "mainwindow.h"
#include "prompts.h"
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
    QString url = SiteUrl(UpdateHost()) + u"/version/tunetrawl.php"_s;
    QString reply;
    {
        // The window waits for this; a silent server must not keep it from showing.
        const Deadline deadline(G, UpdateDeadlineMs);
        reply = G->RetUrl(url, 1, true);
    }
    if (closing)
        return;
    // No reply, no stamp: the next start asks again.
    if (!G->lastResponse().Delivered)
        return;
    settings->setValue(u"Main/LastUpdate"_s, TodayText());
    settings->sync();

    const VersionReply offer = ReadVersionReply(reply);
    if (OffersUpdate(offer, AppVersion) &&
        prompts->question(this, u"Новая версия"_s, UpdateMessage(offer)))
        prompts->openUrl(offer.link);
}
