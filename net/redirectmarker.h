#pragma once

#include <QByteArrayView>

// Whether the bytes hold one of the status texts taken as a redirect, anywhere:
// "302 Found", "301 Moved", "302 Moved", "HTTP/1.1 302", "HTTP/1.0 302",
// "303 See Other". The response reader watches a response's bytes for them; the
// close decision follows a redirect only when one was seen.
bool HasRedirectMarker(QByteArrayView response);
