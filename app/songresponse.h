#pragma once

#include <QByteArrayView>

#include <optional>

// The body of a song's response when the request succeeded: a status line with
// a 2xx code, the end of the headers, and a body exactly as long as the
// Content-Length header says when there is one. Anything else (an error page,
// a cut transfer, no response at all) gives nothing, so no file is written.
std::optional<QByteArrayView> SongBody(QByteArrayView response);
