#include "runprogress.h"
#include "runreport.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// One thing the run tells: a song starts ('s'), has bytes of length ('r'), ends
// stored with bytes ('k'), failed ('f') or found present ('p'); or the clock is
// read at bytes ms ('t').
struct Event
{
    char what;
    SongId song = 0;
    qint64 bytes = 0;
    qint64 length = -1;
};

void Apply(RunProgress &progress, const QList<Event> &events)
{
    using Kind = SongOutcome::Kind;
    for (const Event &e : events) {
        if (e.what == 's')
            progress.started(e.song);
        else if (e.what == 'r')
            progress.received(e.song, e.bytes, e.length);
        else if (e.what == 't')
            progress.sample(e.bytes);
        else
            progress.finished(e.song,
                              e.what == 'k'   ? Kind::Stored
                              : e.what == 'f' ? Kind::Failed
                                              : Kind::Present,
                              e.bytes);
    }
}

constexpr qint64 MiB = 1024 * 1024;

} // namespace

Q_DECLARE_METATYPE(QList<Event>)

class tst_RunProgress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void whereTheRunStands_data();
    void whereTheRunStands();
    void speedIsSmoothed();
};

void tst_RunProgress::whereTheRunStands_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<QList<Event>>("events");
    QTest::addColumn<int>("percent");
    QTest::addColumn<qint64>("bytesLeft");
    QTest::addColumn<QString>("status");

    // Five marked, three on disk already: the two fetched make the whole bar.
    const QList<Event> present{{'p', 1}, {'p', 2}, {'p', 3}, {'s', 4}, {'s', 5}};
    QTest::newRow("present songs leave the total")
        << 5 << present + QList<Event>{{'r', 4, 0, 100}, {'r', 5, 0, 100}} << 0 << qint64(200)
        << u"Скачивается 2, готово 0 из 2"_s;
    QTest::newRow("half of one of two")
        << 5 << present + QList<Event>{{'r', 4, 100, 100}, {'r', 5, 0, 100}} << 50 << qint64(100)
        << u"Скачивается 2, готово 0 из 2"_s;
    QTest::newRow("a failed song is done")
        << 2 << QList<Event>{{'s', 1}, {'r', 1, 30, 100}, {'f', 1}} << 50 << qint64(-1)
        << u"Готово 1 из 2"_s;
    QTest::newRow("present while in flight")
        << 2 << QList<Event>{{'s', 1}, {'r', 1, 80, 100}, {'p', 1}, {'s', 2}, {'r', 2, 0, 40}} << 0
        << qint64(40) << u"Скачивается 1, готово 0 из 1"_s;
    QTest::newRow("unknown length adds no percent")
        << 2 << QList<Event>{{'s', 1}, {'r', 1, 500, -1}} << 0 << qint64(-1)
        << u"Скачивается 1, готово 0 из 2"_s;
    // Not started yet: as long as the finished songs were on average.
    QTest::newRow("waiting songs at the mean of finished ones")
        << 4 << QList<Event>{{'s', 1},      {'k', 1, 300}, {'s', 2},
                             {'k', 2, 100}, {'s', 3},      {'r', 3, 50, -1}}
        << 50 << qint64(150 + 200) << u"Скачивается 1, готово 2 из 4"_s;
    QTest::newRow("before any finished, the known lengths")
        << 3 << QList<Event>{{'s', 1}, {'r', 1, 0, 100}, {'s', 2}, {'r', 2, 0, 300}} << 0
        << qint64(400 + 200) << u"Скачивается 2, готово 0 из 3"_s;
    QTest::newRow("longer than the mean leaves nothing, not less")
        << 2 << QList<Event>{{'s', 1}, {'k', 1, 100}, {'s', 2}, {'r', 2, 150, -1}} << 50
        << qint64(0) << u"Скачивается 1, готово 1 из 2"_s;
    // 61 s left: a second over a minute is two minutes, never "1 мин" too soon.
    QTest::newRow("speed and time left")
        << 2 << QList<Event>{{'t', 0, 0},   {'s', 1}, {'r', 1, MiB, MiB},
                             {'k', 1, MiB}, {'s', 2}, {'r', 2, 0, 61 * MiB},
                             {'t', 0, 1000}}
        << 50 << 61 * MiB << u"Скачивается 1, готово 1 из 2 · 1,0 МБ/с · осталось 2 мин"_s;
    // What came is what counts: a song that starts over brings its bytes anew,
    // one started again where it was (a resume) brings only the rest.
    QTest::newRow("starting over counts each attempt")
        << 1 << QList<Event>{{'t', 0, 0},       {'s', 1},           {'r', 1, 100, 200},
                             {'r', 1, 40, 200}, {'r', 1, 100, 200}, {'t', 0, 1000}}
        << 50 << qint64(100) << u"Скачивается 1, готово 0 из 1 · 200 Б/с · осталось 1 с"_s;
    QTest::newRow("started again keeps its bytes")
        << 1 << QList<Event>{{'t', 0, 0}, {'s', 1},           {'r', 1, 100, 200},
                             {'s', 1},    {'r', 1, 150, 200}, {'t', 0, 1000}}
        << 75 << qint64(50) << u"Скачивается 1, готово 0 из 1 · 150 Б/с · осталось 1 с"_s;
}

void tst_RunProgress::whereTheRunStands()
{
    QFETCH(int, total);
    QFETCH(QList<Event>, events);
    QFETCH(int, percent);
    QFETCH(qint64, bytesLeft);
    QFETCH(QString, status);
    RunProgress progress;
    progress.setTotal(total);
    Apply(progress, events);
    QCOMPARE(progress.percent(), percent);
    QCOMPARE(progress.bytesLeft(), bytesLeft);
    QCOMPARE(RunStatus(progress), status);
}

void tst_RunProgress::speedIsSmoothed()
{
    RunProgress progress;
    progress.setTotal(2);
    progress.started(1);
    progress.sample(0);
    // 100 KiB/s for ten seconds, sampled twice a second.
    for (int tick = 1; tick <= 20; ++tick) {
        progress.received(1, tick * 50 * 1024, 10 * MiB);
        progress.sample(tick * 500);
    }
    QVERIFY(qAbs(progress.bytesPerSecond() - 100 * 1024) < 1.0);
    QCOMPARE(progress.secondsLeft(), 195); // 20 MiB less 1000 KiB, at 100 KiB/s
    // Half a second with nothing does not make the figure fall to nothing.
    progress.sample(10500);
    QVERIFY(progress.bytesPerSecond() < 100 * 1024 && progress.bytesPerSecond() > 75 * 1024);
}

QTEST_GUILESS_MAIN(tst_RunProgress)
#include "tst_runprogress.moc"
