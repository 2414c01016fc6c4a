#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

// Where a redirect response sends the next request.
namespace RedirectTarget {

// The value of the response's first "Location: " up to the next CR LF, decoded the
// way the whole response would be; nothing when the header or its line end is missing.
std::optional<QString> location(const QByteArray &response);

// The URL to ask next when currentUrl answered with a Location value: an "http://"
// value as it stands, "/x" on the current host, anything else relative to the
// current directory; "rstart" is asked as "c_start". Empty for a value in another
// scheme ("https://..."), which this client cannot follow.
QString resolve(QStringView currentUrl, QString location);

} // namespace RedirectTarget
