#pragma once

#include <QByteArray>
#include <QString>

// A playable MP3: an ID3v2.3 tag naming the song (and a private frame holding
// every byte value, so that any re-encoding on the way shows), then seconds of
// silent MPEG-1 Layer III frames.
QByteArray SilentMp3(const QString &artist, const QString &title, int seconds);

// The same of exactly bytes bytes: as many frames as fit, the rest as the tag's
// padding. Smaller than the tag, it is the tag's first bytes.
QByteArray SilentMp3OfSize(const QString &artist, const QString &title, qint64 bytes);
