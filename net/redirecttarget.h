#pragma once

#include <QString>
#include <QStringView>
#include <optional>

class HeaderFields;

// Where a redirect response sends the next request.
namespace RedirectTarget {

// The value of the response's Location header, decoded as the response declares
// (UTF-8 or Windows-1251); nothing when there is none.
std::optional<QString> location(const HeaderFields &fields);

// The URL to ask next when currentUrl answered with a Location value: an
// "http://" or "https://" value as it stands, "//host/x" on that host with the
// current scheme, "/x" on the current host, anything else relative to the current
// directory. "rstart" is asked as "c_start", "&amp;"
// as "&". Empty for a value that starts with another scheme ("ftp://..."), which
// this client cannot follow, or a "//" that names no host.
QString resolve(QStringView currentUrl, QString location);

} // namespace RedirectTarget
