#include "playlist.h"

#include "ansicodec.h"
#include "base64.h"
#include "textcodecs.h"

#include <QStringDecoder>

#include <cstring>
#include <string_view>

using namespace Qt::StringLiterals;
using namespace std::string_view_literals;

namespace {

constexpr auto npos = std::string_view::npos;

constexpr std::string_view BlockMarker = "song_box"sv;
constexpr std::string_view UrlAttribute = "data-url-encoded=\""sv;
constexpr std::string_view ArtistAttribute = "data-artist-name=\""sv;
constexpr std::string_view SongAttribute = "data-song-name=\""sv;

// No UTF-8 decoder spends more than four bytes on one UTF-16 unit, so this many
// bytes decode to more units than a field keeps, whatever their last sequence.
constexpr size_t MaxFieldBytes = 4 * MaxFieldLength + 16;

size_t Find(std::string_view text, std::string_view needle, size_t from = 0)
{
    if (from > text.size())
        return npos;
#ifdef __GLIBC__
    // glibc's memmem is several times faster than a memchr-and-compare loop on
    // HTML, where the marker's first letter is common.
    const void *hit = memmem(text.data() + from, text.size() - from, needle.data(), needle.size());
    return hit ? size_t(static_cast<const char *>(hit) - text.data()) : npos;
#else
    return text.find(needle, from);
#endif
}

// The bytes between the attribute's opening quote and the next quote of the block;
// empty when the attribute or its closing quote is missing.
std::string_view Attribute(std::string_view block, std::string_view attribute)
{
    const size_t start = Find(block, attribute);
    if (start == npos)
        return {};
    const std::string_view value = block.substr(start + attribute.size());
    const size_t end = value.find('"');
    return end == npos ? std::string_view() : value.substr(0, end);
}

// Decodes one field as the whole page would have been decoded. The markers are
// ASCII, which neither encoding uses inside a multi-byte character, so the text
// of a field is the same either way.
class FieldDecoder
{
public:
    explicit FieldDecoder(bool utf8) : utf8(utf8) {}

    QString operator()(std::string_view bytes)
    {
        QString text;
        if (utf8) {
            // A sequence cut here decodes to units far behind those kept, so the
            // kept text never holds a split character.
            bytes = bytes.substr(0, MaxFieldBytes);
            text = decoder(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
        } else {
            bytes = bytes.substr(0, MaxFieldLength);
            text.resize(qsizetype(bytes.size()));
            char16_t *out = reinterpret_cast<char16_t *>(text.data());
            for (const char c : bytes)
                *out++ = Ansi::charForByte(uchar(c));
        }
        if (text.size() > MaxFieldLength)
            text.truncate(text.at(MaxFieldLength - 1).isHighSurrogate() ? MaxFieldLength - 1
                                                                        : MaxFieldLength);
        return text;
    }

private:
    bool utf8;
    // Stateless, and a byte-order mark at the start of a field stays a character,
    // as it would in the middle of the page.
    QStringDecoder decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom};
};

} // namespace

QList<SongEntry> ParsePlaylist(QByteArrayView response)
{
    const std::string_view page(response.data(), size_t(response.size()));
    FieldDecoder decode(TextCodecs::DeclaresUtf8(response));
    QList<SongEntry> songs;
    size_t at = Find(page, BlockMarker);
    while (at != npos && songs.size() < MaxSongs) {
        const size_t start = at + BlockMarker.size();
        at = Find(page, BlockMarker, start);
        const std::string_view block = page.substr(start, at == npos ? npos : at - start);

        SongEntry song;
        song.position = int(songs.size()) + 1;
        const std::string_view address = Attribute(block, UrlAttribute);
        song.url =
            Ansi::toText(Base64Decode(QByteArrayView(address.data(), qsizetype(address.size()))));
        song.title = CleanTitle(decode(Attribute(block, ArtistAttribute)) + u" - "_s +
                                decode(Attribute(block, SongAttribute)));
        songs.append(song);
    }
    return songs;
}

QString CleanTitle(QString title)
{
    title.replace(u"&amp;"_s, u"&"_s);
    for (const QChar c : {u'/', u'\\', u':', u'*', u'%'})
        title.remove(c);
    return title;
}

QString PositionText(int position)
{
    return u"%1"_s.arg(position, 4, 10, QLatin1Char('0'));
}

QString ListItemText(const SongEntry &song)
{
    return PositionText(song.position) + u' ' + song.title;
}
