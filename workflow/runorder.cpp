#include "runorder.h"

#include "songfiles.h"

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

RunOrder::Step RunOrder::next(const std::function<bool(const QString &)> &nameBusy)
{
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
        QString name = SongFileName(candidate.song, MarksSource->noNumbers());
        // The song of the same name goes first: once it is done, this one finds it.
        if (nameBusy(name))
            return {Step::Kind::Wait, index, {}, 0};
        ++Next;
        Total += CountedAtBegin[index] ? 0 : 1;
        return {Step::Kind::Fetch, index, std::move(name), ++Reached};
    }
    return {};
}
