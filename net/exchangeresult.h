#pragma once

#include "exchange.h"

#include <QByteArray>
#include <QString>

// What a finished exchange gives the one who asked, in the form G's callers
// meet it: the response as received, the literal "error (unlimited redirect)"
// after too many redirects, nothing after a failure.
namespace ExchangeResult {

QByteArray bytes(Exchange::Outcome outcome, QByteArray response);
// The same as text, decoded from UTF-8 when the response declares that charset.
QString text(Exchange::Outcome outcome, QByteArray response);

} // namespace ExchangeResult
