#include "runorder.h"

#include "songfiles.h"

using namespace Qt::StringLiterals;

RunOrder::RunOrder(QList<IdentifiedSong> songs, const Marks *marks)
    : Songs(std::move(songs)), MarksSource(marks)
{}

void RunOrder::begin()
{
    CountedAtBegin.resize(Songs.size());
    Total = 0;
    for (qsizetype i = 0; i < Songs.size(); ++i) {
        CountedAtBegin[i] = !Songs[i].song.url.isEmpty() && MarksSource->isMarked(Songs[i].id);
        Total += CountedAtBegin[i] ? 1 : 0;
    }
}

QString RunOrder::nameOf(const SongEntry &song)
{
    // The same stem is the same song (one played twice a day): one file. Another
    // stem that comes out the same after the cut gets a number of its own.
    const QString stem = SongFileStem(song, MarksSource->noNumbers());
    QString name = SafeFileName(stem, u".mp3"_s);
    for (int n = 2;; ++n) {
        const auto claim = Claims.constFind(name);
        if (claim == Claims.cend()) {
            Claims.insert(name, stem);
            return name;
        }
        if (*claim == stem)
            return name;
        name = SafeFileName(stem, u" (%1).mp3"_s.arg(n));
    }
}

RunOrder::Step RunOrder::next(const RoomCheck &room)
{
    for (qsizetype d = 0; d < Deferred.size(); ++d) {
        const auto [index, name] = Deferred[d];
        const IdentifiedSong &waiting = Songs[index];
        if (!MarksSource->isMarked(waiting.id)) {
            // Unmarked while it waited: no longer one of the run's.
            Deferred.removeAt(d--);
            --Total;
            continue;
        }
        if (room(name, waiting.song.url) != Room::Go)
            continue;
        Deferred.removeAt(d);
        return {Step::Kind::Fetch, index, name, ++Reached};
    }
    while (Next < Songs.size()) {
        const int index = int(Next);
        const IdentifiedSong &candidate = Songs[index];
        const bool marked = MarksSource->isMarked(candidate.id);
        if (!marked || candidate.song.url.isEmpty()) {
            Total -= CountedAtBegin[index] ? 1 : 0;
            ++Next;
            if (marked)
                return {Step::Kind::NoAddress, index, {}, 0};
            continue;
        }
        QString name = nameOf(candidate.song);
        const Room now = room(name, candidate.song.url);
        if (now == Room::HostFull)
            return {Step::Kind::Wait, index, {}, 0};
        ++Next;
        Total += CountedAtBegin[index] ? 0 : 1;
        if (now == Room::NameBusy) {
            // The song of the same name goes first: once it is done, this one finds it.
            Deferred.append({index, std::move(name)});
            continue;
        }
        return {Step::Kind::Fetch, index, std::move(name), ++Reached};
    }
    if (!Deferred.isEmpty())
        return {Step::Kind::Wait, Deferred.first().first, {}, 0};
    return {};
}

QStringList RunOrder::upcomingUrls(int most) const
{
    QStringList urls;
    for (const auto &[index, name] : Deferred) {
        if (urls.size() < most && MarksSource->isMarked(Songs[index].id))
            urls.append(Songs[index].song.url);
    }
    for (qsizetype i = Next; i < Songs.size() && urls.size() < most; ++i) {
        if (!Songs[i].song.url.isEmpty() && MarksSource->isMarked(Songs[i].id))
            urls.append(Songs[i].song.url);
    }
    return urls;
}
