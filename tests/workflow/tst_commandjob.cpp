// The program run as a scheduled job would run it: no display at all, its own
// settings folder, the stand-in site on loopback in this process.
#include "chartsite.h"
#include "readfile.h"
#include "sitecontent.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString Day = u"08.12.2026"_s;

// A stop request as the user gives one: a signal on Unix; on Windows Ctrl+C in
// the console the program shares with this test, which lets this one pass.
enum class Interrupt { CtrlC, Term };

#ifdef Q_OS_WIN
void Send(Interrupt, qint64)
{
    SetConsoleCtrlHandler(nullptr, TRUE);
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    QTimer::singleShot(1000, [] { SetConsoleCtrlHandler(nullptr, FALSE); });
}
#else
void Send(Interrupt interrupt, qint64 pid)
{
    ::kill(pid_t(pid), interrupt == Interrupt::Term ? SIGTERM : SIGINT);
}
#endif

} // namespace

Q_DECLARE_METATYPE(Interrupt)

class tst_CommandJob : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void exitCodes_data();
    void exitCodes();
    void listAsJson();
    void onlyNewFetchesNothingPresent();
    void interruptLeavesNoPartFile_data();
    void interruptLeavesNoPartFile();

private:
    struct Ran
    {
        int exitCode = -1;
        QString out, err;
    };
    Ran run(const QStringList &arguments, const std::function<void(QProcess &)> &started = {});
    QString settingsFile() const { return dir->filePath(u"config/tunetrawl/tunetrawl.conf"_s); }
    // The store the program reads: the INI file under XDG_CONFIG_HOME; on
    // Windows the registry, which no environment moves.
    std::unique_ptr<QSettings> store() const
    {
#ifdef Q_OS_WIN
        return std::make_unique<QSettings>(u"tunetrawl"_s, u"tunetrawl"_s);
#else
        return std::make_unique<QSettings>(settingsFile(), QSettings::IniFormat);
#endif
    }
    QString storedValues() const
    {
        const std::unique_ptr<QSettings> settings = store();
        QString values;
        for (const QString &key : settings->allKeys())
            values += key + u'=' + settings->value(key).toString() + u'\n';
        return values;
    }
    QString music() const
    {
        return dir->filePath(u"music"_s);
    }
    QString stationFolder() const
    {
        return music() + u"/Наше Радио/"_s;
    }
    QString title(int position) const
    {
        const SiteContent::Song song = SiteContent::Songs(u"nashe"_s, Day, 14).at(position - 1);
        return song.artist + u" - "_s + song.name;
    }

    std::unique_ptr<ChartSite> site;
    std::unique_ptr<QTemporaryDir> dir;
};

void tst_CommandJob::init()
{
    site = std::make_unique<ChartSite>();
    // 14 songs: the 9th without an address, the 10th the 2nd again.
    site->setSongCount(14);
    QVERIFY(site->listen());
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(music()));
    const std::unique_ptr<QSettings> settings = store();
    settings->clear();
    settings->setValue(u"Main/ChartHost"_s, site->hostAndPort());
    settings->setValue(u"Main/UpdateHost"_s, site->hostAndPort());
}

tst_CommandJob::Ran tst_CommandJob::run(const QStringList &arguments,
                                        const std::function<void(QProcess &)> &started)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
        environment.remove(name);
    environment.insert(u"XDG_CONFIG_HOME"_s, dir->filePath(u"config"_s));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(dir->path());
    QSignalSpy finished(&program, &QProcess::finished);
#ifdef Q_OS_WIN
    // A process group of its own, so that Ctrl+Break reaches it and not this test.
    program.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *process) {
        process->flags |= CREATE_NEW_PROCESS_GROUP;
    });
    // And a console to share: console events travel through one.
    if (!GetConsoleWindow())
        AllocConsole();
#endif
#ifdef Q_OS_WIN
    // In this test's console, where Ctrl+C reaches it, as it does started from cmd.
    program.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *process) {
        process->flags &= ~DWORD(CREATE_NO_WINDOW);
    });
#endif
    program.start(QStringLiteral(TUNETRAWL_BINARY), arguments);
    if (started)
        started(program);
    // The site answers from this event loop while the program runs.
    if (!finished.wait(60000)) {
        program.kill();
        program.waitForFinished();
        return {};
    }
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            QString::fromUtf8(program.readAllStandardOutput()),
            QString::fromUtf8(program.readAllStandardError())};
}

void tst_CommandJob::exitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("notFound"); // a song the site answers 404 for; 0 for none
    QTest::addColumn<bool>("siteGone");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("inOut"); // a line of standard output, as a pattern
    QTest::addColumn<QString>("inErr");

    const QStringList job = {u"--station"_s, u"nashe"_s, u"--date"_s, Day, u"--numbers"_s};
    const QStringList folder = {u"--folder"_s, u"music"_s};
    QTest::newRow("every song now there")
        << job + folder + QStringList{u"--all"_s} << 0 << false << 0
        << u"^0003\tскачано\t0003 ACDC - Back In Black.mp3\t\\d+$"_s
        << u"Готово: скачано 13 файлов"_s;
    QTest::newRow("a song the server lacks")
        << job + folder << 4 << false << 1
        << u"^0004\tошибка\t0004 .*\\.mp3\t-\tСервер ответил 404$"_s << u"не скачано 1"_s;
    QTest::newRow("a song without an address asked for")
        << job + folder + QStringList{u"--songs"_s, u"8-9"_s} << 0 << false << 1
        << u"^0009\tнет адреса\t-\t-\tНет адреса$"_s << u"скачано 1 файл"_s;
    QTest::newRow("a song past the page")
        << job + folder + QStringList{u"--songs"_s, u"99"_s} << 0 << false << 1 << u"^$"_s
        << u"Песни 0099 на странице нет"_s;
    QTest::newRow("no such station")
        << QStringList{u"--station"_s, u"8"_s} << 0 << false << 2 << u"^$"_s << u"«8»"_s;
    QTest::newRow("--json without --list")
        << job + QStringList{u"--json"_s} << 0 << false << 2 << u"^$"_s << u"--list"_s;
    QTest::newRow("no folder given or stored")
        << job << 0 << false << 2 << u"^$"_s << u"--folder"_s;
    QTest::newRow("the page cannot be had")
        << job + folder << 0 << true << 3 << u"^$"_s << u"не получен"_s;
}

void tst_CommandJob::exitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, notFound);
    QFETCH(bool, siteGone);
    QFETCH(int, exitCode);
    QFETCH(QString, inOut);
    QFETCH(QString, inErr);
    if (notFound > 0)
        site->setSongFault(notFound, ChartSite::Fault::NotFound);
    if (siteGone) {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        store()->setValue(u"Main/ChartHost"_s, u"127.0.0.1:%1"_s.arg(closed.serverPort()));
    }
    const QString settings = storedValues();

    const Ran ran = run(arguments);
    QVERIFY2(ran.exitCode == exitCode, qPrintable(ran.err));
    const QRegularExpression line(inOut, QRegularExpression::MultilineOption);
    QVERIFY2(line.match(ran.out).hasMatch(), qPrintable(ran.out));
    QVERIFY2(ran.err.contains(inErr), qPrintable(ran.err));
    // A scheduled job never changes what the window finds at its next start.
    QCOMPARE(storedValues(), settings);
    if (exitCode != 0)
        return;
    // One line a song as it ended; each file holds the bytes served.
    const QStringList lines = ran.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 13);
    for (const QString &song : lines) {
        const QStringList fields = song.split(u'\t');
        const QByteArray served = SiteContent::SongFile(u"nashe"_s, Day, fields[0].toInt());
        QCOMPARE(fields[1], u"скачано"_s);
        QCOMPARE(ReadFile(stationFolder() + fields[2]), served);
        QCOMPARE(fields[3].toLongLong(), served.size());
    }
}

void tst_CommandJob::listAsJson()
{
    const Ran ran =
        run({u"--station"_s, u"6"_s, u"--date"_s, Day, u"--list"_s, u"--json"_s, u"--numbers"_s});
    QCOMPARE(ran.exitCode, 0);
    QJsonParseError error;
    const QJsonArray songs = QJsonDocument::fromJson(ran.out.toUtf8(), &error).array();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(songs.size(), 14);
    const QJsonObject third = songs[2].toObject();
    QCOMPARE(third[u"position"_s].toInt(), 3);
    QCOMPARE(third[u"title"_s].toString(), u"ACDC - Back In Black"_s);
    QCOMPARE(third[u"file"_s].toString(), u"0003 ACDC - Back In Black.mp3"_s);
    QCOMPARE(third[u"url"_s].toString(),
             u"http://"_s + site->hostAndPort() + SiteContent::SongPath(u"nashe"_s, Day, 3));
    QCOMPARE(songs[8].toObject()[u"url"_s].toString(), QString());
    QCOMPARE(site->requests(), QStringList{u"GET /nashe/history/"_s + Day + u'/'});
}

void tst_CommandJob::onlyNewFetchesNothingPresent()
{
    // An earlier day's run left songs 1 and 3, numbered otherwise.
    const QString earlier = stationFolder() + u"01.12.2026/"_s;
    QVERIFY(QDir().mkpath(earlier));
    const QStringList present = {title(1), u"ACDC - Back In Black"_s};
    for (const QString &name : present) {
        QFile file(earlier + u"0042 "_s + name + u".mp3"_s);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const Ran ran = run({u"--station"_s, u"nashe"_s, u"--date"_s, Day, u"--folder"_s, u"music"_s,
                         u"--only-new"_s, u"--day-folders"_s, u"--numbers"_s});
    QVERIFY2(ran.exitCode == 0, qPrintable(ran.err));
    for (int position = 1; position <= 14; ++position) {
        const bool asked =
            site->requests().contains(u"GET "_s + SiteContent::SongPath(u"nashe"_s, Day, position));
        QVERIFY2(asked == (position != 9 && !present.contains(title(position).remove(u'/'))),
                 qPrintable(QString::number(position)));
    }
}

void tst_CommandJob::interruptLeavesNoPartFile_data()
{
    QTest::addColumn<Interrupt>("interrupt");
    QTest::newRow("Ctrl+C") << Interrupt::CtrlC;
#ifndef Q_OS_WIN
    QTest::newRow("SIGTERM") << Interrupt::Term;
#endif
}

void tst_CommandJob::interruptLeavesNoPartFile()
{
    QFETCH(Interrupt, interrupt);
    // Still arriving when stopped: songs 2 to 5.
    for (int position = 2; position <= 5; ++position)
        site->setSongFault(position, ChartSite::Fault::Silent);
    qint64 pid = 0;
    connect(site.get(), &ChartSite::requestSeen, this, [&](const QString &line) {
        if (line.endsWith(u"/5.mp3"_s))
            QTimer::singleShot(100, this, [&] { Send(interrupt, pid); });
    });
    const Ran ran = run({u"--station"_s, u"nashe"_s, u"--date"_s, Day, u"--folder"_s, u"music"_s,
                         u"--parallel"_s, u"4"_s, u"--numbers"_s},
                        [&pid](QProcess &program) { pid = program.processId(); });
    QVERIFY2(ran.exitCode == 130, qPrintable(QString::number(ran.exitCode) + u' ' + ran.err));
    QVERIFY2(ran.out.startsWith(u"0001\tскачано\t"_s), qPrintable(ran.out));
    const QStringList left = QDir(stationFolder()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, QStringList{u"0001 "_s + title(1) + u".mp3"_s});
    QCOMPARE(site->requests().filter(u"/songs/"_s).size(), 5);
}

QTEST_GUILESS_MAIN(tst_CommandJob)
#include "tst_commandjob.moc"
