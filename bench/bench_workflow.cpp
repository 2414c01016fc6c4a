// Times the window's own work on big playlists and long runs against the
// stand-in chart site, each beside a reference measured in the same run:
//   - a page of 32767 songs: loading it (fetch, parse, fill the list) against
//     fetching it alone; the difference is the parse and the fill;
//   - marking all 32767 songs;
//   - a run over 200 marked songs against fetching the same 200 songs with a
//     bare socket; the difference per song is the run's own overhead.
#include "chartsite.h"
#include "check.h"
#include "g.h"
#include "mainwindow.h"
#include "prompts.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

struct Site
{
    QThread thread;
    ChartSite *site = new ChartSite;
    QString host;

    Site()
    {
        site->moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(
            site, [this] { site->listen(); }, Qt::BlockingQueuedConnection);
        host = site->hostAndPort();
    }
    ~Site()
    {
        QMetaObject::invokeMethod(site, &QObject::deleteLater);
        thread.quit();
        thread.wait();
    }
    void songs(int count)
    {
        QMetaObject::invokeMethod(
            site, [this, count] { site->setSongCount(count); }, Qt::BlockingQueuedConnection);
    }
};

QByteArray BareFetch(const QString &hostAndPort, const QString &path)
{
    QTcpSocket socket;
    socket.connectToHost(hostAndPort.section(u':', 0, 0),
                         quint16(hostAndPort.section(u':', 1).toUInt()));
    socket.waitForConnected();
    socket.write("GET " + path.toUtf8() + " HTTP/1.0\r\nConnection: Close\r\n\r\n");
    QByteArray data;
    while (socket.waitForReadyRead(5000))
        data += socket.readAll();
    return data + socket.readAll();
}

std::unique_ptr<Main> NewWindow(const QString &settingsPath, const QString &host)
{
    {
        QSettings store(settingsPath, QSettings::IniFormat);
        store.clear();
        store.setValue(u"Main/ChartHost"_s, host);
        store.setValue(u"Main/UpdateHost"_s, host);
        store.setValue(u"Main/LastUpdate"_s, QDate::currentDate().toString(u"dd.MM.yyyy"_s));
    }
    auto window = std::make_unique<Main>();
    window->setSettingsStore(std::make_unique<QSettings>(settingsPath, QSettings::IniFormat));
    window->Load();
    window->show();
    return window;
}

double Ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    Site site;
    const QString settings = dir.filePath(u"tunetrawl.conf"_s);

    // A page of 32767 songs.
    site.songs(32767);
    auto window = NewWindow(settings, site.host);
    QElapsedTimer t;
    t.start();
    window->Combo1->setCurrentIndex(0);
    window->Combo1_Click();
    const double load = Ms(t);
    QString url =
        u"http://"_s + site.host + u"/europaplus/history/"_s + window->Text1->text() + u'/';
    t.start();
    const QString page = window->G->RetUrl(url, 1, true);
    const double fetch = Ms(t);
    out << "page of " << window->SongCount() << " songs (" << page.size() / 1024 << " KiB)\n";
    out << "  load " << load << " ms, fetch alone " << fetch << " ms, parse and fill "
        << load - fetch << " ms (goal under 1000)\n";

    t.start();
    window->Check1->setValue(true);
    const double markAll = Ms(t);
    out << "  mark all " << markAll << " ms for " << window->MarkedCount()
        << " songs (goal under 200)\n";
    window.reset();

    // A run over 200 songs.
    site.songs(200);
    window = NewWindow(settings, site.host);
    window->Check2->setValue(false);
    window->Combo1->setCurrentIndex(1);
    window->Combo1_Click();
    window->Check1->setValue(true);
    const int marked = int(window->MarkedCount());
    QDir(dir.path()).mkdir(u"music"_s);
    window->Text2->setText(dir.filePath(u"music"_s) + QDir::separator());
    t.start();
    window->Command1_Click();
    const double run = Ms(t);
    const int stored = int(QDir(dir.filePath(u"music/Радио DFM"_s)).entryList(QDir::Files).size());

    const QList<SongEntry> songs = window->Songs();
    t.start();
    qint64 bytes = 0;
    for (const SongEntry &song : songs) {
        if (!song.url.isEmpty())
            bytes += BareFetch(site.host, song.url.section(site.host, 1)).size();
    }
    const double bare = Ms(t);
    out << "run over " << marked << " marked songs: " << stored << " stored in " << run << " ms; "
        << "bare socket fetch of the same " << stored << " songs (" << bytes / 1024 << " KiB) "
        << bare << " ms\n";
    out << "  per-song overhead of the run " << (run - bare) / std::max(stored, 1)
        << " ms, ratio run/bare " << run / bare << "\n";
    out.flush();
    return stored == marked - 1 ? 0 : 1;
}
