#include "exchangeresult.h"

#include "textcodecs.h"

namespace ExchangeResult {

QByteArray bytes(Exchange::Outcome outcome, QByteArray response)
{
    switch (outcome) {
    case Exchange::Outcome::Response:
        return response;
    case Exchange::Outcome::UnlimitedRedirect:
        return QByteArrayLiteral("error (unlimited redirect)");
    case Exchange::Outcome::None:
    case Exchange::Outcome::Failure:
        break;
    }
    return {};
}

QString text(Exchange::Outcome outcome, QByteArray response)
{
    return TextCodecs::DeUTF(bytes(outcome, std::move(response)));
}

} // namespace ExchangeResult
