#include "hostpace.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Steps, blank-separated: "wN" a window with every slot used, bodies at N bytes/ms;
// "uN" one with a slot idle; "rN" the server took no more than N; "t" a reset.
class tst_HostPace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void limitFollowsWhatTheRunSees_data();
    void limitFollowsWhatTheRunSees();
    void holdLastsUntilItsTime();
};

void tst_HostPace::limitFollowsWhatTheRunSees_data()
{
    QTest::addColumn<int>("fixed");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<int>>("limits"); // after each step

    QTest::newRow("auto doubles while it grows, never past 16")
        << 0 << u"w1 w3 w9 w30 w90"_s << QList<int>{8, 16, 16, 16, 16};
    QTest::newRow("auto stays once a window brings no more")
        << 0 << u"w10 w10 w100"_s << QList<int>{8, 8, 8};
    QTest::newRow("a tenth more is noise") << 0 << u"w10 w11"_s << QList<int>{8, 8};
    QTest::newRow("an idle slot is no measure") << 0 << u"u10 u20 u40"_s << QList<int>{4, 4, 4};
    QTest::newRow("nothing before the first answers is no measure")
        << 0 << u"w0 w0 w2 w2"_s << QList<int>{4, 4, 8, 8};
    QTest::newRow("503 beyond two caps it, for good")
        << 0 << u"w1 r2 w5 w50"_s << QList<int>{8, 2, 2, 2};
    QTest::newRow("a cap never rises") << 0 << u"r3 r5"_s << QList<int>{3, 3};
    QTest::newRow("a server that takes none still gets one") << 0 << u"r0"_s << QList<int>{1};
    QTest::newRow("reset halves at once, then it grows again")
        << 0 << u"w1 w3 t t t t w1 w3"_s << QList<int>{8, 16, 8, 4, 2, 1, 2, 4};
    QTest::newRow("grows up to a cap only") << 0 << u"r3 t w1 w3"_s << QList<int>{3, 1, 2, 3};
    QTest::newRow("a number stays") << 3 << u"w1 w3 t u9"_s << QList<int>{3, 3, 3, 3};
    QTest::newRow("a number yields to the server") << 6 << u"r2 w5"_s << QList<int>{2, 2};
}

void tst_HostPace::limitFollowsWhatTheRunSees()
{
    QFETCH(int, fixed);
    QFETCH(QString, steps);
    QFETCH(QList<int>, limits);

    HostPace pace(fixed);
    QCOMPARE(pace.limit(), fixed > 0 ? fixed : HostPace::AutoStart);
    qint64 now = 0;
    qint64 bytes = 1; // a first answer came: windows count from there
    const QStringList list = steps.split(u' ');
    QCOMPARE(list.size(), limits.size());
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString &step = list[i];
        const int n = step.mid(1).toInt();
        switch (step.front().unicode()) {
        case 'w':
        case 'u': {
            const bool saturated = step.front() == u'w';
            // A window in four steps, the last one closing it.
            const qint64 step = (HostPace::WindowMs + 3) / 4;
            for (int tick = 0; tick <= 4; ++tick) {
                pace.sample(now, bytes, saturated);
                if (tick < 4) {
                    now += step;
                    bytes += n * step;
                }
            }
            break;
        }
        case 'r':
            pace.refused(n);
            break;
        case 't':
            pace.troubled();
            break;
        }
        QVERIFY2(pace.limit() == limits[i],
                 qPrintable(u"after %1: %2"_s.arg(step).arg(pace.limit())));
    }
}

void tst_HostPace::holdLastsUntilItsTime()
{
    HostPace pace;
    pace.holdUntil(5000);
    pace.holdUntil(3000); // an earlier end does not shorten it
    QVERIFY(pace.heldAt(4999));
    QVERIFY(!pace.heldAt(5000));
}

QTEST_GUILESS_MAIN(tst_HostPace)
#include "tst_hostpace.moc"
