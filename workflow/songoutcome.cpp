#include "songoutcome.h"

using namespace Qt::StringLiterals;

SongOutcome SongOutcome::present()
{
    return {Kind::Present, u"Файл уже есть"_s, {}, -1};
}

SongOutcome SongOutcome::noAddress()
{
    return {Kind::NoAddress, u"Нет адреса"_s, {}, -1};
}

namespace {

QString FailureText(Exchange::Failure failure)
{
    switch (failure) {
    case Exchange::Failure::NoAnswer:
        return u"Сервер не отвечает"_s;
    case Exchange::Failure::Stalled:
        return u"Соединение прервано: нет данных"_s;
    case Exchange::Failure::TooSlow:
        return u"Соединение прервано: данные идут слишком медленно"_s;
    case Exchange::Failure::Tls:
        return u"Защищённое соединение не установлено"_s;
    case Exchange::Failure::Tunnel:
        return u"Прокси не открыл туннель"_s;
    case Exchange::Failure::Address:
        return u"Неверный адрес"_s;
    case Exchange::Failure::Malformed:
        return u"Ответ без заголовков"_s;
    case Exchange::Failure::TooLarge:
        return u"Ответ слишком велик"_s;
    case Exchange::Failure::Storage:
        return u"Не удалось записать файл"_s;
    case Exchange::Failure::Aborted:
        return u"Остановлено"_s;
    case Exchange::Failure::Deadline:
        return u"Время ожидания истекло"_s;
    case Exchange::Failure::None:
        break;
    }
    return u"Не скачано"_s;
}

// Why a delivered response is no whole song; empty when it is one.
QString NotASong(const ResponseSummary &response)
{
    if (response.Status == 0)
        return u"Ответ без заголовков"_s;
    if (response.Status < 200 || response.Status > 299)
        return u"Сервер ответил "_s + QString::number(response.Status);
    if (!response.HeadComplete)
        return u"Ответ без заголовков"_s;
    if (!response.IdentityContent || response.Transfer == HeaderFields::Transfer::Other)
        return u"Ответ в незнакомой кодировке"_s;
    if (response.FramingBroken || response.LengthKind == HeaderFields::Length::Invalid)
        return u"Ответ повреждён"_s;
    if (!response.whole())
        return response.Ended == ResponseSummary::End::Reset ? u"Соединение прервано"_s
                                                             : u"Ответ пришёл не весь"_s;
    if (response.BodySize == 0)
        return u"Пустой ответ"_s;
    if (response.isHtmlPage())
        return u"Вместо файла пришла страница"_s;
    return {};
}

} // namespace

std::optional<SongOutcome> SongOutcome::ofFetch(Exchange::Outcome outcome,
                                                Exchange::Failure failure,
                                                const ResponseSummary &response)
{
    switch (outcome) {
    case Exchange::Outcome::Response:
        if (const QString why = NotASong(response); !why.isEmpty())
            return failed(why);
        return std::nullopt;
    case Exchange::Outcome::UnlimitedRedirect:
        return failed(u"Слишком много перенаправлений"_s);
    case Exchange::Outcome::Failure:
        return failed(FailureText(failure));
    case Exchange::Outcome::None:
        break;
    }
    return failed(FailureText(Exchange::Failure::None));
}
