#include "runprogress.h"
#include "runreport.h"
#include "sizetext.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// One thing the run tells: a song starts ('s'), has bytes of length ('r'),
// ends stored with bytes ('k'), failed ('f') or found present ('p'); or the
// clock is read at ms ('t').
struct Event
{
    char what;
    SongId song = 0;
    qint64 bytes = 0;
    qint64 length = -1;
};

void Apply(RunProgress &progress, const QList<Event> &events)
{
    for (const Event &e : events) {
        switch (e.what) {
        case 's':
            progress.started(e.song);
            break;
        case 'r':
            progress.received(e.song, e.bytes, e.length);
            break;
        case 'k':
            progress.finished(e.song, SongOutcome::Kind::Stored, e.bytes);
            break;
        case 'f':
            progress.finished(e.song, SongOutcome::Kind::Failed, -1);
            break;
        case 'p':
            progress.finished(e.song, SongOutcome::Kind::Present, -1);
            break;
        case 't':
            progress.sample(e.bytes);
            break;
        }
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
    void statusLine_data();
    void statusLine();
    void sizesAndTimes_data();
    void sizesAndTimes();
};

void tst_RunProgress::whereTheRunStands_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<QList<Event>>("events");
    QTest::addColumn<int>("songs");
    QTest::addColumn<int>("percent");
    QTest::addColumn<qint64>("bytesLeft");

    // Five marked, three on disk already: the two fetched make the whole bar.
    QTest::newRow("present songs leave the total")
        << 5 << QList<Event>{{'p', 1}, {'p', 2}, {'p', 3}, {'s', 4}, {'r', 4, 0, 100}} << 2 << 0
        << qint64(200);
    QTest::newRow("half of one of two")
        << 5 << QList<Event>{{'p', 1}, {'p', 2}, {'p', 3}, {'s', 4}, {'r', 4, 50, 100}} << 2 << 25
        << qint64(150);
    QTest::newRow("a failed song is done")
        << 2 << QList<Event>{{'s', 1}, {'r', 1, 30, 100}, {'f', 1}} << 2 << 50 << qint64(-1);
    QTest::newRow("present while in flight")
        << 2 << QList<Event>{{'s', 1}, {'r', 1, 80, 100}, {'p', 1}, {'s', 2}, {'r', 2, 0, 40}} << 1
        << 0 << qint64(40);
    QTest::newRow("all present") << 3 << QList<Event>{{'p', 1}, {'p', 2}, {'p', 3}} << 0 << 0
                                 << qint64(0);
    QTest::newRow("unknown length adds no percent")
        << 2 << QList<Event>{{'s', 1}, {'r', 1, 500, -1}} << 2 << 0 << qint64(-1);
    // Not started yet: as long as the finished songs were on average.
    QTest::newRow("waiting songs at the mean of finished ones")
        << 4 << QList<Event>{{'s', 1},      {'k', 1, 300}, {'s', 2},
                             {'k', 2, 100}, {'s', 3},      {'r', 3, 50, -1}}
        << 4 << 50 << qint64(150 + 200);
    QTest::newRow("before any finished, the known lengths")
        << 3 << QList<Event>{{'s', 1}, {'r', 1, 0, 100}, {'s', 2}, {'r', 2, 0, 300}} << 3 << 0
        << qint64(400 + 200);
    QTest::newRow("longer than the mean leaves nothing, not less")
        << 2 << QList<Event>{{'s', 1}, {'k', 1, 100}, {'s', 2}, {'r', 2, 150, -1}} << 2 << 50
        << qint64(0);
}

void tst_RunProgress::whereTheRunStands()
{
    QFETCH(int, total);
    QFETCH(QList<Event>, events);
    QFETCH(int, songs);
    QFETCH(int, percent);
    QFETCH(qint64, bytesLeft);
    RunProgress progress;
    progress.setTotal(total);
    Apply(progress, events);
    QCOMPARE(progress.total(), songs);
    QCOMPARE(progress.percent(), percent);
    QCOMPARE(progress.bytesLeft(), bytesLeft);
}

void tst_RunProgress::speedIsSmoothed()
{
    RunProgress progress;
    progress.setTotal(2);
    progress.started(1);
    progress.sample(0);
    // 100 KiB/s for ten seconds, sampled twice a second.
    qint64 bytes = 0;
    for (int tick = 1; tick <= 20; ++tick) {
        bytes += 50 * 1024;
        progress.received(1, bytes, 10 * MiB);
        progress.sample(tick * 500);
    }
    QVERIFY(qAbs(progress.bytesPerSecond() - 100 * 1024) < 1.0);
    QCOMPARE(progress.secondsLeft(), (20 * MiB - bytes + 100 * 1024 - 1) / (100 * 1024));
    // Half a second with nothing does not make the figure fall to nothing.
    progress.sample(10500);
    QVERIFY(progress.bytesPerSecond() < 100 * 1024);
    QVERIFY(progress.bytesPerSecond() > 75 * 1024);
    // A song that starts over counts only what it gets beyond where it had been.
    RunProgress again;
    again.setTotal(1);
    again.started(1);
    again.sample(0);
    again.received(1, 100, 200);
    again.received(1, 40, 200);
    again.received(1, 100, 200);
    again.sample(1000);
    QCOMPARE(again.bytesPerSecond(), 160.0);
}

void tst_RunProgress::statusLine_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<QList<Event>>("events");
    QTest::addColumn<QString>("text");

    QTest::newRow("two in flight") << 5 << QList<Event>{{'s', 1}, {'k', 1, 10}, {'s', 2}, {'f', 2},
                                                        {'s', 3}, {'k', 3, 10}, {'s', 4}, {'s', 5}}
                                   << u"Скачивается 2, готово 3 из 5"_s;
    QTest::newRow("speed and time left")
        << 2 << QList<Event>{{'t', 0, 0},   {'s', 1}, {'r', 1, MiB, MiB},
                             {'k', 1, MiB}, {'s', 2}, {'r', 2, 0, 3 * MiB},
                             {'t', 0, 1000}}
        << u"Скачивается 1, готово 1 из 2 · 1,0 МБ/с · осталось 3 с"_s;
    QTest::newRow("between songs")
        << 3 << QList<Event>{{'s', 1}, {'k', 1, 10}} << u"Готово 1 из 3"_s;
}

void tst_RunProgress::statusLine()
{
    QFETCH(int, total);
    QFETCH(QList<Event>, events);
    QFETCH(QString, text);
    RunProgress progress;
    progress.setTotal(total);
    Apply(progress, events);
    QCOMPARE(RunStatus(progress), text);
}

void tst_RunProgress::sizesAndTimes_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("expected");

    QTest::newRow("bytes") << SizeText(999) << u"999 Б"_s;
    QTest::newRow("a thousand bytes") << SizeText(1000) << u"1,0 КБ"_s;
    QTest::newRow("one decimal") << SizeText(1536) << u"1,5 КБ"_s;
    QTest::newRow("no 10,0") << SizeText(10 * 1024 - 1) << u"10 КБ"_s;
    QTest::newRow("no four digits after rounding") << SizeText(1024 * 1000 - 1) << u"1,0 МБ"_s;
    QTest::newRow("megabytes") << SizeText(4404019) << u"4,2 МБ"_s;
    QTest::newRow("speed") << SpeedText(850 * 1024) << u"850 КБ/с"_s;
    QTest::newRow("seconds") << DurationText(59) << u"59 с"_s;
    QTest::newRow("a second over a minute is two") << DurationText(61) << u"2 мин"_s;
    QTest::newRow("whole hour") << DurationText(3600) << u"1 ч"_s;
    QTest::newRow("hour and minutes") << DurationText(3661) << u"1 ч 2 мин"_s;
}

void tst_RunProgress::sizesAndTimes()
{
    QFETCH(QString, shown);
    QFETCH(QString, expected);
    QCOMPARE(shown, expected);
}

QTEST_GUILESS_MAIN(tst_RunProgress)
#include "tst_runprogress.moc"
