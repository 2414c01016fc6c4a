#pragma once

#include <QByteArray>
#include <QString>

// A playable MP3: an ID3v2.3 tag naming the song (and a private frame holding
// every byte value, so that any re-encoding on the way shows), then seconds of
// silent MPEG-1 Layer III frames.
QByteArray SilentMp3(const QString &artist, const QString &title, int seconds);
