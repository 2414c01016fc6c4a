#include "jobrequest.h"

#include <QTest>

using namespace Qt::StringLiterals;

using Positions = QList<int>;

class tst_JobRequest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void station_data();
    void station();
    void date_data();
    void date();
    void positions_data();
    void positions();
};

void tst_JobRequest::station_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::newRow("first by number") << u"1"_s << 0;
    QTest::newRow("last by number") << u"7"_s << 6;
    QTest::newRow("0 is no number in the list") << u"0"_s << -1;
    QTest::newRow("past the last") << u"8"_s << -1;
    QTest::newRow("name") << u"Наше Радио"_s << 5;
    QTest::newRow("name in other letter case") << u"наше радио"_s << 5;
    QTest::newRow("path segment") << u"DINAMIT"_s << 1;
    QTest::newRow("part of a name") << u"Наше"_s << -1;
    QTest::newRow("empty") << u""_s << -1;
}

void tst_JobRequest::station()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    QCOMPARE(JobRequest::stationFrom(text), index);
}

void tst_JobRequest::date_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("date");
    QTest::newRow("today") << u"today"_s << u"01.01.2027"_s;
    QTest::newRow("yesterday crosses the year") << u"yesterday"_s << u"31.12.2026"_s;
    QTest::newRow("a day") << u"29.02.2024"_s << u"29.02.2024"_s;
    QTest::newRow("no such day") << u"29.02.2026"_s << u""_s;
    QTest::newRow("ISO form") << u"2026-12-08"_s << u""_s;
    QTest::newRow("Today is not a word here") << u"Today"_s << u""_s;
}

void tst_JobRequest::date()
{
    QFETCH(QString, text);
    QFETCH(QString, date);
    QCOMPARE(JobRequest::dateFrom(text, QDate(2027, 1, 1)), date);
}

void tst_JobRequest::positions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<Positions>("positions");
    QTest::newRow("list and range") << u"1,4,7-9"_s << true << Positions{1, 4, 7, 8, 9};
    QTest::newRow("each once, in the order given") << u"3,1,2-3"_s << true << Positions{3, 1, 2};
    QTest::newRow("a range of one") << u"5-5"_s << true << Positions{5};
    QTest::newRow("backwards range") << u"5-3"_s << false << Positions{};
    QTest::newRow("zero") << u"0"_s << false << Positions{};
    QTest::newRow("empty item") << u"1,,2"_s << false << Positions{};
    QTest::newRow("open range") << u"3-"_s << false << Positions{};
    QTest::newRow("sign") << u"+3"_s << false << Positions{};
    QTest::newRow("blank") << u"1, 2"_s << false << Positions{};
    QTest::newRow("past any page") << u"32768"_s << false << Positions{};
    QTest::newRow("empty") << u""_s << false << Positions{};
}

void tst_JobRequest::positions()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(Positions, positions);
    const std::optional<Positions> read = JobRequest::positionsFrom(text);
    QCOMPARE(read.has_value(), valid);
    if (valid)
        QCOMPARE(*read, positions);
}

QTEST_GUILESS_MAIN(tst_JobRequest)
#include "tst_jobrequest.moc"
