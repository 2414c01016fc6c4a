// Song file names from any title: what the file system refuses never gets
// through, the name fits, the cut keeps whole characters and takes no more than
// it must, and the rest of the name is the title as it was.
//
// Input: one byte of options (bit 0: no numbers; bit 1: the title is UTF-8, else
// raw UTF-16 units, lone surrogates included), two bytes of position, the title.

#include "fuzzcheck.h"
#include "songfiles.h"

#include <QStringDecoder>

#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

bool Refused(QChar c)
{
    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
        return true;
#ifdef Q_OS_WIN
    return QStringView(u"?\"<>|/\\:*").contains(c);
#else
    return c == u'/';
#endif
}

qsizetype StoredSize(const QString &name)
{
#ifdef Q_OS_WIN
    return name.size();
#else
    return name.toUtf8().size();
#endif
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const bool noNumbers = data[0] & 1;
    const bool utf8 = data[0] & 2;
    const int position = (data[1] | data[2] << 8) % MaxSongs + 1;
    const QByteArray titleBytes(reinterpret_cast<const char *>(data + 3), qsizetype(size - 3));
    const QString title = utf8 ? QString::fromUtf8(titleBytes)
                               : QString(reinterpret_cast<const QChar *>(titleBytes.constData()),
                                         titleBytes.size() / 2);

    const QString name = SongFileName({position, title, QString()}, noNumbers);
    const QString full = noNumbers ? title : PositionText(position) + u' ' + title;

    FUZZ_CHECK(name.endsWith(u".mp3"));
    FUZZ_CHECK(StoredSize(name) <= MaxFileNameLength);
    const QStringView stem = QStringView(name).chopped(4);
    FUZZ_CHECK(stem.size() <= full.size());
    for (qsizetype i = 0; i < stem.size(); ++i) {
        FUZZ_CHECK(!Refused(stem[i]));
        FUZZ_CHECK(stem[i] == full[i] || (stem[i] == u'_' && Refused(full[i])));
    }
    if (stem.size() < full.size()) {
        // Cut between two characters, and only because the next one does not fit.
        const qsizetype at = stem.size();
        FUZZ_CHECK(at == 0 || !full[at - 1].isHighSurrogate() || !full[at].isLowSurrogate());
        const bool pair =
            full[at].isHighSurrogate() && at + 1 < full.size() && full[at + 1].isLowSurrogate();
        FUZZ_CHECK(StoredSize(full.first(at + (pair ? 2 : 1)) + u".mp3"_s) > MaxFileNameLength);
    }
    if (ValidUtf16(title)) {
        FUZZ_CHECK(ValidUtf16(name));
        // Stored as UTF-8 and read back, the name is the same (a byte-order mark
        // opening it included).
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        FUZZ_SAME(QString(utf8(name.toUtf8())), name);
    }
    if (!noNumbers)
        FUZZ_CHECK(name.startsWith(PositionText(position) + u' '));
    return 0;
}
