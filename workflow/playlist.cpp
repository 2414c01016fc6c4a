#include "playlist.h"

#include "ansicodec.h"
#include "base64.h"
#include "textcodecs.h"

#include <QStringDecoder>

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

// The bytes between the attribute's opening quote and the next quote of the block;
// empty when the attribute or its closing quote is missing.
std::string_view Attribute(std::string_view block, std::string_view attribute)
{
    const size_t start = block.find(attribute);
    if (start == npos)
        return {};
    const std::string_view value = block.substr(start + attribute.size());
    const size_t end = value.find('"');
    return end == npos ? std::string_view() : value.substr(0, end);
}

// Decodes fields as the whole page would have been decoded. The markers are ASCII,
// which neither encoding uses inside a multi-byte character, so the text of a
// field is the same either way.
class FieldDecoder
{
public:
    explicit FieldDecoder(bool utf8) : utf8(utf8) {}

    // The bytes of the field that are read; the rest is beyond the cap.
    std::string_view read(std::string_view bytes) const
    {
        // In UTF-8 a sequence cut here decodes to units far behind those kept, so
        // the kept text never holds a split character.
        return bytes.substr(0, utf8 ? MaxFieldBytes : size_t(MaxFieldLength));
    }

    // Units that decoding read(bytes) may write.
    qsizetype room(std::string_view bytes) const
    {
        const qsizetype size = qsizetype(read(bytes).size());
        return utf8 ? decoder.requiredSpace(size) : size;
    }

    // Writes the field, capped, at out; returns the end of what it wrote.
    QChar *append(QChar *out, std::string_view bytes)
    {
        bytes = read(bytes);
        QChar *end = out;
        if (utf8) {
            end =
                decoder.appendToBuffer(out, QByteArrayView(bytes.data(), qsizetype(bytes.size())));
        } else {
            for (const char c : bytes)
                *end++ = QChar(Ansi::charForByte(uchar(c)));
        }
        if (end - out > MaxFieldLength)
            end = out +
                  (out[MaxFieldLength - 1].isHighSurrogate() ? MaxFieldLength - 1 : MaxFieldLength);
        return end;
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
    size_t at = page.find(BlockMarker);
    while (at != npos && songs.size() < MaxSongs) {
        const size_t start = at + BlockMarker.size();
        at = page.find(BlockMarker, start);
        const std::string_view block = page.substr(start, at == npos ? npos : at - start);

        SongEntry song;
        song.position = int(songs.size()) + 1;
        const std::string_view address = Attribute(block, UrlAttribute);
        song.url =
            Ansi::toText(Base64Decode(QByteArrayView(address.data(), qsizetype(address.size()))));
        // Artist, " - ", song name, decoded into one buffer.
        const std::string_view artist = Attribute(block, ArtistAttribute);
        const std::string_view name = Attribute(block, SongAttribute);
        QString title(decode.room(artist) + 3 + decode.room(name), Qt::Uninitialized);
        QChar *end = decode.append(title.data(), artist);
        for (const char16_t c : u" - "sv)
            *end++ = QChar(c);
        end = decode.append(end, name);
        title.truncate(end - title.constData());
        song.title = CleanTitle(std::move(title));
        songs.append(std::move(song));
    }
    return songs;
}

QString CleanTitle(QString title)
{
    // One pass over the original text: replacing first never decodes an "&amp;"
    // that the removals form afterwards ("&a/mp;"), and neither does this.
    static constexpr std::u16string_view Entity = u"&amp;";
    QChar *to = title.data();
    const QChar *from = to;
    const QChar *const last = from + title.size();
    while (from != last) {
        const char16_t c = from->unicode();
        if (c == u'&' &&
            std::u16string_view(reinterpret_cast<const char16_t *>(from), size_t(last - from))
                .starts_with(Entity)) {
            *to++ = u'&';
            from += Entity.size();
            continue;
        }
        if (c != u'/' && c != u'\\' && c != u':' && c != u'*' && c != u'%')
            *to++ = *from;
        ++from;
    }
    title.truncate(to - title.constData());
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
