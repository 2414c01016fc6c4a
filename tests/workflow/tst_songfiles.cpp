#include "filenamerules.h"
#include "responsereader.h"
#include "runreport.h"
#include "songfiles.h"
#include "songoutcome.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_SongFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileName_data();
    void fileName();
    void longTitlesAreCappedKeepingExtension_data();
    void longTitlesAreCappedKeepingExtension();
    void folders();
    void namesWindowsReserves_data();
    void namesWindowsReserves();
    void runReport_data();
    void runReport();
    void whyNotASong_data();
    void whyNotASong();
};

void tst_SongFiles::fileName_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("noNumbers");
    QTest::addColumn<QString>("expected");

    QTest::newRow("numbered") << 3 << u"Adele - Hello"_s << false << u"0003 Adele - Hello.mp3"_s;
    QTest::newRow("not numbered") << 3 << u"Adele - Hello"_s << true << u"Adele - Hello.mp3"_s;
    QTest::newRow("NUL replaced") << 1 << u"A\u0000B - C"_s << true << u"A_B - C.mp3"_s;
    QTest::newRow("control characters replaced")
        << 1 << u"A\tB\nC\u001F\u007F - D"_s << true << u"A_B_C__ - D.mp3"_s;
    // "0001 " and ".mp3" take 9 of the 255.
    QTest::newRow("numbered name of exactly 255 bytes keeps its last character")
        << 1 << QString(246, u'a') << false << u"0001 "_s + QString(246, u'a') + u".mp3"_s;
    QTest::newRow("one byte over loses one character")
        << 1 << QString(246, u'a') + u'b' << false << u"0001 "_s + QString(246, u'a') + u".mp3"_s;
#ifdef Q_OS_WIN
    QTest::newRow("refused characters replaced")
        << 1 << u"Who? - \"x\" <y> |z|\t"_s << true << u"Who_ - _x_ _y_ _z__.mp3"_s;
    QTest::newRow("colon and star replaced") << 1 << u"2:1 *live*"_s << true << u"2_1 _live_.mp3"_s;
#else
    QTest::newRow("characters Linux accepts stay")
        << 1 << u"Who? - \"x\" <y> |z|"_s << true << u"Who? - \"x\" <y> |z|.mp3"_s;
#endif
}

void tst_SongFiles::fileName()
{
    QFETCH(int, position);
    QFETCH(QString, title);
    QFETCH(bool, noNumbers);
    QFETCH(QString, expected);
    QCOMPARE(SongFileName({position, title, u"http://x/"_s}, noNumbers), expected);
}

void tst_SongFiles::longTitlesAreCappedKeepingExtension_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("latin") << QString(400, u'a');
    QTest::newRow("cyrillic, two bytes each") << QString(300, u'ж');
    QTest::newRow("very long title") << QString(400000, u'ж');
    QTest::newRow("surrogate pairs are not split") << QString(240, u'x').append(
        QString::fromUcs4(U"\U0001F3B5\U0001F3B5\U0001F3B5\U0001F3B5\U0001F3B5"));
}

void tst_SongFiles::longTitlesAreCappedKeepingExtension()
{
    QFETCH(QString, title);
    const QString name = SongFileName({12, title, QString()}, false);
    QVERIFY(name.endsWith(u".mp3"_s));
    QVERIFY(name.startsWith(u"0012 "_s));
#ifdef Q_OS_WIN
    QVERIFY(name.size() <= MaxFileNameLength);
#else
    QVERIFY(name.toUtf8().size() <= MaxFileNameLength);
    QVERIFY(name.toUtf8().size() > MaxFileNameLength - 4); // no more cut than needed
#endif
    QVERIFY(!name.chopped(4).back().isHighSurrogate());
    QCOMPARE(QString::fromUtf8(name.toUtf8()), name);
}

void tst_SongFiles::namesWindowsReserves_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("reservedOnWindows");

    QTest::newRow("a device name") << u"CON.mp3"_s << true;
    QTest::newRow("in any case") << u"nul.mp3"_s << true;
    QTest::newRow("the device is the part before the first dot") << u"Aux.Kid - Song.mp3"_s << true;
    QTest::newRow("blanks before the dot") << u"PRN  .mp3"_s << true;
    QTest::newRow("ports 1 to 9") << u"LPT9.mp3"_s << true;
    QTest::newRow("superscript port") << u"COM\u00B9.mp3"_s << true;
    QTest::newRow("console input") << u"CONIN$.mp3"_s << true;
    QTest::newRow("port 0 is a file") << u"COM0.mp3"_s << false;
    QTest::newRow("port 10 is a file") << u"COM10.mp3"_s << false;
    QTest::newRow("a longer word is a file") << u"Console - Song.mp3"_s << false;
    QTest::newRow("numbered, never a device") << u"0001 CON.mp3"_s << false;
    QTest::newRow("a trailing dot") << u"song."_s << true;
    QTest::newRow("a trailing blank") << u"song "_s << true;
}

void tst_SongFiles::namesWindowsReserves()
{
    QFETCH(QString, name);
    QFETCH(bool, reservedOnWindows);
#ifdef Q_OS_WIN
    QCOMPARE(FileNameRules::isReserved(name), reservedOnWindows);
#else
    Q_UNUSED(reservedOnWindows);
    QVERIFY(!FileNameRules::isReserved(name)); // Linux stores any of them
#endif
}

void tst_SongFiles::folders()
{
    const QString sep = QDir::separator();
    QCOMPARE(StationFolder(u"/music"_s + sep, u"Наше Радио"_s),
             u"/music"_s + sep + u"Наше Радио"_s + sep);
    // A folder without its trailing separator still gets a sub-folder, not a sibling.
    QCOMPARE(StationFolder(u"/music"_s, u"Наше Радио"_s),
             u"/music"_s + sep + u"Наше Радио"_s + sep);
    QCOMPARE(DateFolder(u"/m/S"_s + sep, u"16.06.2014"_s), u"/m/S"_s + sep + u"16.06.2014"_s + sep);
}

void tst_SongFiles::runReport_data()
{
    QTest::addColumn<int>("marked");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("failed");
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<QString>("text");

    QTest::newRow("nothing marked")
        << 0 << 0 << 0 << false << u"Ничего не отмечено для скачивания"_s;
    QTest::newRow("1 file") << 1 << 1 << 0 << false << u"Готово: скачано 1 файл"_s;
    QTest::newRow("3 files") << 3 << 3 << 0 << false << u"Готово: скачано 3 файла"_s;
    QTest::newRow("5 files") << 5 << 5 << 0 << false << u"Готово: скачано 5 файлов"_s;
    QTest::newRow("11 to 14 take the genitive")
        << 12 << 12 << 0 << false << u"Готово: скачано 12 файлов"_s;
    QTest::newRow("21 is singular again") << 21 << 21 << 0 << false << u"Готово: скачано 21 файл"_s;
    // The teens rule looks at the last two digits only.
    QTest::newRow("111") << 111 << 111 << 0 << false << u"Готово: скачано 111 файлов"_s;
    QTest::newRow("112") << 112 << 112 << 0 << false << u"Готово: скачано 112 файлов"_s;
    QTest::newRow("114") << 114 << 114 << 0 << false << u"Готово: скачано 114 файлов"_s;
    QTest::newRow("212") << 212 << 212 << 0 << false << u"Готово: скачано 212 файлов"_s;
    QTest::newRow("122") << 122 << 122 << 0 << false << u"Готово: скачано 122 файла"_s;
    QTest::newRow("all present already") << 2 << 0 << 0 << false << u"Готово: скачано 0 файлов"_s;
    QTest::newRow("exactly one failed")
        << 1 << 0 << 1 << false << u"Не скачано 1 файл (отметки остались)"_s;
    QTest::newRow("some failed") << 7 << 4 << 3 << false
                                 << u"Готово: скачано 4, не скачано 3 (отметки остались)"_s;
    QTest::newRow("stopped") << 9 << 2 << 0 << true << u"Остановлено: скачано 2 файла"_s;
}

void tst_SongFiles::runReport()
{
    QFETCH(int, marked);
    QFETCH(int, stored);
    QFETCH(int, failed);
    QFETCH(bool, stopped);
    QFETCH(QString, text);
    QCOMPARE(RunReport({marked, stored, failed, stopped}), text);
}

void tst_SongFiles::whyNotASong_data()
{
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<QString>("reason"); // "" for a song

    const int response = int(Exchange::Outcome::Response);
    const int none = int(Exchange::Failure::None);
    const QByteArray ok = "HTTP/1.0 200 OK\r\nContent-Length: 4\r\n";
    QTest::newRow("a song") << response << none << ok + "\r\nmp3!" << u""_s;
    QTest::newRow("404") << response << none << QByteArray("HTTP/1.0 404 Not Found\r\n\r\n")
                         << u"Сервер ответил 404"_s;
    QTest::newRow("cut short") << response << none << ok + "\r\nmp" << u"Ответ пришёл не весь"_s;
    QTest::newRow("empty") << response << none << QByteArray("HTTP/1.0 200 OK\r\n\r\n")
                           << u"Пустой ответ"_s;
    QTest::newRow("a page for a song")
        << response << none << ok + "Content-Type: Text/HTML; charset=utf-8\r\n\r\n <a>"
        << u"Вместо файла пришла страница"_s;
    QTest::newRow("html that is no page")
        << response << none << ok + "Content-Type: text/html\r\n\r\nmp3<" << u""_s;
    QTest::newRow("markup of another type")
        << response << none << ok + "Content-Type: audio/mpeg\r\n\r\n<mp3" << u""_s;
    QTest::newRow("too many redirects") << int(Exchange::Outcome::UnlimitedRedirect) << none
                                        << QByteArray() << u"Слишком много перенаправлений"_s;
    QTest::newRow("no answer") << int(Exchange::Outcome::Failure)
                               << int(Exchange::Failure::NoAnswer) << QByteArray()
                               << u"Сервер не отвечает"_s;
    QTest::newRow("stalled") << int(Exchange::Outcome::Failure) << int(Exchange::Failure::Stalled)
                             << QByteArray() << u"Соединение прервано: нет данных"_s;
}

void tst_SongFiles::whyNotASong()
{
    QFETCH(int, outcome);
    QFETCH(int, failure);
    QFETCH(QByteArray, response);
    QFETCH(QString, reason);
    ResponseReader reader;
    reader.feed(response);
    const ResponseSummary summary = ResponseSummary::of(reader, ResponseSummary::End::Orderly);
    const std::optional<SongOutcome> why = SongOutcome::ofFetch(
        Exchange::Outcome(outcome), Exchange::Failure(failure),
        outcome == int(Exchange::Outcome::Response) ? summary : ResponseSummary());
    QCOMPARE(why ? why->reason : QString(), reason);
    QCOMPARE(why.has_value(), !reason.isEmpty());
}

QTEST_GUILESS_MAIN(tst_SongFiles)
#include "tst_songfiles.moc"
