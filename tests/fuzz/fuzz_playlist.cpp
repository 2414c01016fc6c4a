// The history page parser against a plain reading of the same page: the whole
// response decoded as it declares, split at "song_box", each attribute taken
// between its quotes, each field capped, the title cleaned. The parser decodes
// only the fields; both must give the same songs.

#include "ansicodec.h"
#include "base64.h"
#include "fuzzcheck.h"
#include "playlist.h"
#include "textcodecs.h"

#include <QList>

#include <cstdint>
#include <string_view>

using namespace Qt::StringLiterals;
using namespace std::string_view_literals;

namespace {

QString Attribute(QStringView block, QStringView attribute)
{
    const qsizetype start = block.indexOf(attribute);
    if (start < 0)
        return {};
    const QStringView value = block.sliced(start + attribute.size());
    const qsizetype end = value.indexOf(u'"');
    return end < 0 ? QString() : value.first(end).toString();
}

QString Capped(QString field)
{
    if (field.size() > MaxFieldLength)
        field.truncate(field[MaxFieldLength - 1].isHighSurrogate() ? MaxFieldLength - 1
                                                                   : MaxFieldLength);
    return field;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray response(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<SongEntry> songs = ParsePlaylist(response);

    // Neither decoding turns a non-ASCII byte into ASCII, so the markers and quotes
    // of the text are those of the bytes.
    const QString text = TextCodecs::DeUTF(response);
    QList<QStringView> blocks = QStringView(text).split(u"song_box");
    blocks.removeFirst(); // the page before the first block holds no song

    FUZZ_CHECK(songs.size() == qMin<qsizetype>(blocks.size(), MaxSongs));
    FUZZ_CHECK(songs.size() <= MaxSongs);
    for (qsizetype i = 0; i < songs.size(); ++i) {
        const SongEntry &song = songs[i];
        const QStringView block = blocks[i];
        FUZZ_CHECK(song.position == i + 1);

        const QString artist = Capped(Attribute(block, u"data-artist-name=\""));
        const QString name = Capped(Attribute(block, u"data-song-name=\""));
        FUZZ_SAME(song.title, CleanTitle(artist + u" - "_s + name));
        const QString address = Attribute(block, u"data-url-encoded=\"");
        FUZZ_SAME(song.url, Ansi::toText(Base64Decode(QStringView(address))));

        for (const char16_t removed : u"/\\:*%"sv)
            FUZZ_CHECK(!song.title.contains(removed));
        FUZZ_CHECK(song.title.contains(u" - "));
        FUZZ_CHECK(song.title.size() <= 2 * MaxFieldLength + 3);
        FUZZ_CHECK(ValidUtf16(song.title));
        FUZZ_CHECK(ListItemText(song).startsWith(PositionText(song.position) + u' '));
    }
    return 0;
}
