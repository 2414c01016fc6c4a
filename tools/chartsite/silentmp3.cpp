#include "silentmp3.h"

#include <QtEndian>

namespace {

// 32 kbit/s, 32 kHz, mono, no CRC: frames of 144 * 32000 / 32000 = 144 bytes,
// 1152 samples (36 ms) each. All-zero side information decodes to silence.
constexpr char FrameHeader[4] = {char(0xFF), char(0xFB), char(0x18), char(0xC0)};
constexpr int FrameBytes = 144;
constexpr double FrameSeconds = 1152.0 / 32000.0;

QByteArray synchsafe(quint32 size)
{
    QByteArray out(4, 0);
    for (int i = 3; i >= 0; --i) {
        out[i] = char(size & 0x7F);
        size >>= 7;
    }
    return out;
}

QByteArray textFrame(const char id[4], const QString &text)
{
    // Encoding 1: UTF-16 with byte-order mark.
    QByteArray payload(1, char(1));
    payload.append(char(0xFF)).append(char(0xFE));
    for (const QChar c : text) {
        payload.append(char(c.unicode() & 0xFF));
        payload.append(char(c.unicode() >> 8));
    }
    QByteArray frame(id, 4);
    char size[4];
    qToBigEndian<quint32>(quint32(payload.size()), size);
    frame.append(size, 4).append(2, char(0)).append(payload);
    return frame;
}

QByteArray privateFrame()
{
    QByteArray payload("tunetrawl-stand-in");
    payload.append(char(0));
    for (int b = 0; b < 256; ++b)
        payload.append(char(b));
    QByteArray frame("PRIV");
    char size[4];
    qToBigEndian<quint32>(quint32(payload.size()), size);
    frame.append(size, 4).append(2, char(0)).append(payload);
    return frame;
}

QByteArray tagged(const QString &artist, const QString &title, qint64 padding, qint64 count)
{
    QByteArray frames = textFrame("TPE1", artist) + textFrame("TIT2", title) + privateFrame();
    frames.append(padding, char(0));
    QByteArray mp3("ID3");
    mp3.append(char(3)).append(char(0)).append(char(0)).append(synchsafe(quint32(frames.size())));
    mp3.append(frames);

    QByteArray frame(FrameHeader, 4);
    frame.append(FrameBytes - 4, char(0));
    mp3.reserve(mp3.size() + count * FrameBytes);
    for (qint64 i = 0; i < count; ++i)
        mp3.append(frame);
    return mp3;
}

} // namespace

QByteArray SilentMp3(const QString &artist, const QString &title, int seconds)
{
    return tagged(artist, title, 0, qint64(seconds / FrameSeconds));
}

QByteArray SilentMp3OfSize(const QString &artist, const QString &title, qint64 bytes)
{
    const qint64 tag = tagged(artist, title, 0, 0).size();
    if (bytes <= tag)
        return tagged(artist, title, 0, 0).left(bytes);
    const qint64 count = (bytes - tag) / FrameBytes;
    return tagged(artist, title, bytes - tag - count * FrameBytes, count);
}
